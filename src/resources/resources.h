#pragma once
// What the program carries inside itself: pictures, texts, forms, the blank record document
// and the default program directory.
#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include "resources/song_font.h"

namespace hb {

QPixmap bannerPixmap();  // 1025 × 66
QIcon appIcon();         // 48 × 48
// Starts reading the banner on a thread of its own, once the application object exists, so
// that it is ready when the window asks for it.
void startLoadingBanner();
// The badge of the icon, drawn at size × size, for the icon files installed with the program.
QImage badgeImage(int size);

// A shipped text (texts/<fileName>) as text, empty when there is none.
QString shippedText(const QString& fileName);
// The same as GBK bytes with CR LF line ends, as it is written out.
QByteArray shippedTextBytes(const QString& fileName);
// The case-handling rules without their title: the rules window's text.
QString rulesBody();
// A shipped binary: forms/<name>, document/<name>.
QByteArray shippedFile(const QString& relativePath);
// The fontconfig alias of 宋体/SimSun onto that face, for the window, the private office
// profile and the officer's own LibreOffice alike. Written into the user's fontconfig folder
// unless the system has it (the package installs it there); false when it could not be.
bool installFontAlias(QString* error = nullptr);
// Where installFontAlias writes it: $XDG_CONFIG_HOME/fontconfig/conf.d/.
QString userFontAliasPath();

// The default program-directory files (Set.ini and the help files) as GBK, CR LF.
QByteArray defaultFileBytes(const QString& fileName);
QStringList defaultFileNames();
// Writes each default file that is missing in dir: the copy in installedDefaults when it has
// one (it may hold more files), else the embedded one. False when one could not be written;
// *error (when given) then names the first such file and the reason.
bool seedProgramDir(const QString& dir, const QString& installedDefaults = {},
                    QString* error = nullptr);

}  // namespace hb
