#pragma once

namespace hb {

// Qt's own dialogs and buttons in Chinese, whatever the system locale. False when Qt's
// translations (Debian qt6-translations-l10n) are not installed.
bool installQtTranslations();

}  // namespace hb
