#include "GuideDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QVector>

#include <algorithm>

namespace {

// The guide is ours, but a runaway file should fail the build rather than fill the disk.
constexpr qint64 kMaxMarkdownBytes = 4 * 1024 * 1024;
// Pictures wider than this many layout units are scaled down to the text width of an A4 page: 210 mm less the
// writer's 18 mm margins and the 2 cm QTextDocument::print adds on each side leave 134 mm, about 506 units at 96 dpi.
constexpr qreal kTextWidth = 500.0;

QString firstAvailable(const QStringList& families)
{
    const QStringList present = QFontDatabase().families();
    for (const QString& family : families) {
        if (present.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return QString();
}

// The Markdown importer gives code the platform's fixed font, which offscreen is a proportional face, so command
// lines and their output came out proportional and wrapped; they get a monospaced face, in code blocks at a size
// that holds about 80 columns.
void setCodeFont(QTextDocument* doc, const QString& family)
{
    const QString imported = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    if (family.isEmpty())
        return;
    struct Range
    {
        int position;
        int length;
        bool block;
    };
    // Collected first: changing a format merges and splits the fragments being walked.
    QVector<Range> ranges;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat blockFormat = block.blockFormat();
        const bool codeBlock = blockFormat.hasProperty(QTextFormat::BlockCodeLanguage) ||
                               blockFormat.hasProperty(QTextFormat::BlockCodeFence);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && !fragment.charFormat().isImageFormat() &&
                fragment.charFormat().fontFamily() == imported)
                ranges.append({fragment.position(), fragment.length(), codeBlock});
        }
    }
    for (const Range& r : ranges) {
        QTextCursor cursor(doc);
        cursor.setPosition(r.position);
        cursor.setPosition(r.position + r.length, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setFontFamily(family);
        format.setFontPointSize(r.block ? 8 : 9);
        cursor.mergeCharFormat(format);
    }
}

} // namespace

GuideDocument::~GuideDocument()
{
    delete m_doc;
}

bool GuideDocument::load(const QString& markdownPath, bool chinese, QString* error)
{
    QFile file(markdownPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(markdownPath, file.errorString());
        return false;
    }
    if (file.size() > kMaxMarkdownBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(markdownPath).arg(kMaxMarkdownBytes);
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());

    delete m_doc;
    m_doc = new QTextDocument;
    QFont font(chinese ? firstAvailable({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")})
                       : firstAvailable({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}));
    font.setPointSizeF(10);
    m_doc->setDefaultFont(font);
    m_doc->setDocumentMargin(0);
    m_doc->setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    setCodeFont(m_doc, chinese
                           ? firstAvailable({QStringLiteral("WenQuanYi Micro Hei Mono")})
                           : firstAvailable({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")}));
    placePictures(QFileInfo(markdownPath).absolutePath());
    return true;
}

void GuideDocument::placePictures(const QString& folder)
{
    m_missing.clear();
    for (QTextBlock block = m_doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString name = format.name();
            const QImage image(QFileInfo(name).isAbsolute() ? name : folder + QLatin1Char('/') + name);
            if (image.isNull()) {
                m_missing.append(name);
                continue;
            }
            m_doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
            const qreal width = std::min<qreal>(image.width(), kTextWidth);
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            QTextCursor cursor(m_doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

bool GuideDocument::writePdf(const QString& pdfPath, const QString& title, QString* error)
{
    if (m_doc == nullptr) {
        *error = QStringLiteral("nothing loaded");
        return false;
    }
    QPdfWriter writer(pdfPath);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Meridane"));
    m_doc->print(&writer);
    if (!QFileInfo(pdfPath).exists() || QFileInfo(pdfPath).size() == 0) {
        *error = QStringLiteral("could not write %1").arg(pdfPath);
        return false;
    }
    return true;
}

QStringList GuideDocument::headings() const
{
    QStringList out;
    if (m_doc == nullptr)
        return out;
    for (QTextBlock block = m_doc->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 1 || level == 2)
            out.append(block.text());
    }
    return out;
}
