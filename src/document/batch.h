#pragma once
#include <QStringList>
#include <functional>
#include <memory>

namespace hb {

class OfficeSuite;
class Shell;

// hengbi compose TEMPLATE.ini --out FILE(.doc|.pdf) [--force]: the template into a record,
// composed with Set.ini of the program directory and saved as FILE, with no window and no
// questions. A different template of the same name in BL is left alone unless --force is
// given. Returns the exit code; a failure's reason goes to stderr as one line. Needs a
// QCoreApplication. makeOffice gives the system's office suite.
int runComposeCommand(const QStringList& arguments,
                      const std::function<std::unique_ptr<OfficeSuite>(Shell&)>& makeOffice);

}  // namespace hb
