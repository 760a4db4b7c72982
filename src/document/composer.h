#pragma once
// The inquiry record as a word-processor document: title, ruled header, underlined question
// and answer lines in pages closed by the two closing lines of Set.ini, counted in printed
// lines. The record template is written in the same pass.
#include <QString>
#include <QStringList>

namespace hb {

struct AppContext;
class InquiryRecord;

struct Composition {
    bool documentReady = false;  // the office holds the composed document, unsaved
    QString documentError;
    QString templatePath;
    QString templateError;  // empty when the template was written
};

// Callers have made the office check and their field checks. Runs to its end whatever
// fails on the way, as the officer's record template must still be written.
Composition composeRecordDocument(AppContext& ctx);

// The message for the officer when the fields of the file stem do not make a safe file name
// (an empty or leading-"." year, a character Windows refuses, a control character, longer
// than the file system takes); empty when safe. Other empty parts are fine.
QString unsafeStemMessage(const InquiryRecord& record);

// The lines a question or answer prints on, in 14 pt SimSun across the record's text width,
// broken where a word processor breaks Chinese and Latin text. A text that fits is returned
// whole; the lines of a longer one lose the blanks at their ends.
QStringList printedLines(const QString& text);

// "分  至  " and its wider forms, so that the time line keeps one width for any date.
QString timeSeparator(const QString& month, const QString& day);

}  // namespace hb
