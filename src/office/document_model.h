#pragma once
// A word-processor document as typing builds it: paragraphs of runs, each run with the
// formatting that was in force when it was typed. Written out as Flat ODF on the page
// setup of a blank document.
#include <QByteArray>
#include <QList>
#include <QString>

#include "office/office.h"

namespace hb {

struct RunFormat {
    bool bold = false;
    int size = 0;  // points; 0 keeps the document's default size
    bool underline = false;
    bool operator==(const RunFormat&) const = default;
};

struct Run {
    QString text;
    RunFormat format;
};

struct Paragraph {
    QList<Run> runs;
    Alignment alignment = Alignment::Left;
    // The paragraph mark's own formatting: it sets the height of an empty paragraph.
    RunFormat mark;
    double lineHeight = 0;  // exact, in points; 0: two grid pitches, three for large text
    bool ruled = false;
    QString text() const;
};

class DocumentModel {
  public:
    // CR LF (or a lone CR or LF) ends the current paragraph; the next one keeps its paragraph
    // layout (alignment, line height, rule).
    void type(const QString& text);
    void setBold(bool on) { format_.bold = on; }
    void setSize(int points) { format_.size = points; }
    void setUnderline(bool on) { format_.underline = on; }
    // The current paragraph and the ones typed after it.
    void setAlignment(Alignment alignment);
    void setLineHeight(double points);
    void setRuled(bool on);

    RunFormat format() const { return format_; }
    // Never empty: the last paragraph is the one typing continues in.
    const QList<Paragraph>& paragraphs() const { return paragraphs_; }
    bool isEmpty() const;

    // The skeleton's body replaced by the paragraphs, their styles added to its automatic
    // styles. Empty when the skeleton is not a Flat ODF text document.
    QByteArray toFlatOdf(const QByteArray& skeleton) const;

  private:
    QList<Paragraph> paragraphs_{Paragraph{}};
    RunFormat format_;
};

// The Flat ODF source of the blank record document.
QByteArray blankDocumentSource();

}  // namespace hb
