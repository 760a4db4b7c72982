#pragma once
// The file calls Qt does not offer, in each system's own terms.
#include <QString>

namespace hb::native {

// A read-only descriptor for ::fstat, ::read and ::close that never waits on a FIFO, or -1
// with errno set.
int openForReading(const QString& path);
// Renames over an existing file; false with errno set.
bool renameOver(const QString& from, const QString& to);

}  // namespace hb::native
