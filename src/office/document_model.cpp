#include "office/document_model.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace hb {

QString Paragraph::text() const {
    QString out;
    for (const Run& r : runs) out += r.text;
    return out;
}

bool DocumentModel::isEmpty() const {
    return paragraphs_.size() == 1 && paragraphs_.front().runs.isEmpty();
}

void DocumentModel::setAlignment(Alignment alignment) {
    paragraphs_.back().alignment = alignment;
}

void DocumentModel::setLineHeight(double points) {
    paragraphs_.back().lineHeight = points;
}

void DocumentModel::setRuled(bool on) {
    paragraphs_.back().ruled = on;
}

void DocumentModel::type(const QString& text) {
    auto append = [this](QStringView piece) {
        if (piece.isEmpty()) return;
        QList<Run>& runs = paragraphs_.back().runs;
        if (!runs.isEmpty() && runs.back().format == format_)
            runs.back().text += piece;
        else
            runs.append(Run{piece.toString(), format_});
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        append(QStringView(text).mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        Paragraph& ended = paragraphs_.back();
        ended.mark = format_;
        Paragraph next;
        next.alignment = ended.alignment;
        next.lineHeight = ended.lineHeight;
        next.ruled = ended.ruled;
        paragraphs_.append(next);
        start = i + 1;
    }
    append(QStringView(text).mid(start));
}

namespace {

QString xmlEscaped(QStringView text) {
    QString out;
    out.reserve(text.size() + 16);
    qsizetype spaces = 0;
    auto flushSpaces = [&] {
        // Every run of blanks is written out counted: Flat ODF collapses literal ones.
        if (spaces > 0) out += QStringLiteral("<text:s text:c=\"%1\"/>").arg(spaces);
        spaces = 0;
    };
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            ++spaces;
            continue;
        }
        flushSpaces();
        switch (c.unicode()) {
            case '&':
                out += QLatin1String("&amp;");
                break;
            case '<':
                out += QLatin1String("&lt;");
                break;
            case '>':
                out += QLatin1String("&gt;");
                break;
            case '"':
                out += QLatin1String("&quot;");
                break;
            case '\t':
                out += QLatin1String("<text:tab/>");
                break;
            default:
                // Characters XML cannot carry are left out.
                if (c.unicode() < 0x20 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) break;
                out += c;
        }
    }
    flushSpaces();
    return out;
}

QString textProperties(const RunFormat& f) {
    QString p;
    if (f.size > 0) {
        const QString pt = QString::number(f.size) + QLatin1String("pt");
        p += QStringLiteral(
                 " fo:font-size=\"%1\" style:font-size-asian=\"%1\" "
                 "style:font-size-complex=\"%1\"")
                 .arg(pt);
    }
    const QLatin1String weight(f.bold ? "bold" : "normal");
    p += QStringLiteral(
             " fo:font-weight=\"%1\" style:font-weight-asian=\"%1\" "
             "style:font-weight-complex=\"%1\"")
             .arg(weight);
    if (f.underline)
        p += QLatin1String(
            " style:text-underline-style=\"solid\" "
            "style:text-underline-width=\"auto\" "
            "style:text-underline-color=\"font-color\"");
    else
        p += QLatin1String(" style:text-underline-style=\"none\"");
    return QStringLiteral("<style:text-properties%1/>").arg(p);
}

// The rule under a ruled paragraph: its width comes out of the paragraph's line height, so
// that a ruled line takes no more room than a plain one.
constexpr double kRulePt = 0.5;

// Unless set, the lines of a paragraph take whole pitches of the blank page's grid (312
// twips), fixed, so that the pages do not depend on the face that draws the text: two for
// text up to 14 pt, three for larger.
QString lineHeight(const Paragraph& p) {
    double height = p.lineHeight;
    if (height <= 0) {
        int points = p.mark.size;
        for (const Run& r : p.runs) points = std::max(points, r.format.size);
        height = points > 14 ? 46.8 : 31.2;
    }
    return QStringLiteral("%1pt").arg(p.ruled ? height - kRulePt : height);
}

// Offices join the same border of neighbouring paragraphs into one box, ruled under the
// last only, and a .doc cannot say otherwise: neighbours' rules differ in a colour no eye
// tells from black.
QString ruleProperties(int parity) {
    if (parity < 0) return {};
    return QStringLiteral(
               " fo:border-bottom=\"%1pt solid %2\" fo:padding=\"0pt\" "
               "style:join-border=\"false\"")
        .arg(kRulePt)
        .arg(parity ? QLatin1String("#010101") : QLatin1String("#000000"));
}

}  // namespace

QByteArray DocumentModel::toFlatOdf(const QByteArray& skeleton) const {
    static const QRegularExpression bodyOpen(QStringLiteral("<office:text(\\s[^>]*)?>"));
    QString doc = QString::fromUtf8(skeleton);
    doc.replace(QLatin1String("<office:text/>"), QLatin1String("<office:text></office:text>"));
    const QRegularExpressionMatch open = bodyOpen.match(doc);
    const qsizetype bodyClose = doc.indexOf(QLatin1String("</office:text>"));
    if (!open.hasMatch() || bodyClose < open.capturedEnd()) return {};

    // One style per distinct paragraph form and per distinct run format.
    struct ParaForm {
        Alignment alignment;
        RunFormat mark;
        QString lineHeight;
        int rule;  // -1 none, else which of the two rules
        bool operator==(const ParaForm&) const = default;
    };
    QList<ParaForm> paraForms;
    QList<RunFormat> runForms;
    QString body;
    int rule = -1;
    for (const Paragraph& p : paragraphs_) {
        rule = p.ruled ? (rule + 1) % 2 : -1;
        const ParaForm form{p.alignment, p.mark, lineHeight(p), rule};
        qsizetype pi = paraForms.indexOf(form);
        if (pi < 0) {
            pi = paraForms.size();
            paraForms.append(form);
        }
        body += QStringLiteral("<text:p text:style-name=\"HbP%1\">").arg(pi + 1);
        for (const Run& r : p.runs) {
            qsizetype ti = runForms.indexOf(r.format);
            if (ti < 0) {
                ti = runForms.size();
                runForms.append(r.format);
            }
            body += QStringLiteral("<text:span text:style-name=\"HbT%1\">%2</text:span>")
                        .arg(ti + 1)
                        .arg(xmlEscaped(r.text));
        }
        body += QLatin1String("</text:p>\n");
    }

    QString styles;
    for (qsizetype i = 0; i < paraForms.size(); ++i) {
        styles += QStringLiteral(
                      "<style:style style:name=\"HbP%1\" style:family=\"paragraph\" "
                      "style:parent-style-name=\"Standard\"><style:paragraph-properties "
                      "fo:text-align=\"%2\" fo:line-height=\"%3\"%4/>%5</style:style>\n")
                      .arg(i + 1)
                      .arg(paraForms[i].alignment == Alignment::Centre ? QLatin1String("center")
                                                                       : QLatin1String("start"))
                      .arg(paraForms[i].lineHeight, ruleProperties(paraForms[i].rule),
                           textProperties(paraForms[i].mark));
    }
    for (qsizetype i = 0; i < runForms.size(); ++i) {
        styles += QStringLiteral(
                      "<style:style style:name=\"HbT%1\" style:family=\"text\">%2"
                      "</style:style>\n")
                      .arg(i + 1)
                      .arg(textProperties(runForms[i]));
    }

    QString out = doc.left(open.capturedEnd()) + QLatin1Char('\n') + body + doc.mid(bodyClose);
    const qsizetype stylesClose = out.indexOf(QLatin1String("</office:automatic-styles>"));
    if (stylesClose >= 0) {
        out.insert(stylesClose, styles);
    } else {
        const qsizetype emptyStyles = out.indexOf(QLatin1String("<office:automatic-styles/>"));
        if (emptyStyles >= 0) {
            out.replace(emptyStyles, qsizetype(sizeof("<office:automatic-styles/>") - 1),
                        QStringLiteral("<office:automatic-styles>%1</office:automatic-styles>")
                            .arg(styles));
        } else {
            const qsizetype before = out.indexOf(QLatin1String("<office:master-styles"));
            const qsizetype at = before >= 0 ? before : out.indexOf(QLatin1String("<office:body"));
            if (at < 0) return {};
            out.insert(at, QStringLiteral("<office:automatic-styles>%1</office:automatic-styles>\n")
                               .arg(styles));
        }
    }
    return out.toUtf8();
}

QByteArray blankDocumentSource() {
    QFile f(QStringLiteral(":/hengbi-document/Doc.fodt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace hb
