#pragma once
// The Song face of the window and the documents. Header-only, so that the start-up bench's
// reference window draws in the same face without linking the program's libraries.
#include <QFont>
#include <QFontDatabase>
#include <QString>

namespace hb {

// The Song face that stands in for 宋体/SimSun: SimSun's widths (half-width Latin and blanks,
// full-width Chinese), so that blanks align text and rule lines as in Word.
inline QString songFace() {
    return QStringLiteral("AR PL SungtiL GB");
}

// 宋体 for the window, at a size in pixels: that face by its own name where it is installed,
// 宋体 itself elsewhere (Windows has it). Needs the application object.
inline QFont songFont(int pixelSize) {
    // The font database knows faces, not fontconfig's aliases: asked for 宋体, it searches
    // every font for fallbacks, some milliseconds at each start.
    static const bool standIn = QFontDatabase::hasFamily(songFace());
    QFont font(standIn ? songFace() : QStringLiteral("宋体"));
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    // The stand-in carries next to no hints: hinting each glyph as it loaded took half the
    // drawing of the first frame, for no visible change.
    if (standIn) font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

}  // namespace hb
