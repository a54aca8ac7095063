#pragma once
#include <QString>
#include <QStringList>

class QTextDocument;

/// The user guide as a text document: its Markdown read, its pictures taken from the guide's folder and fitted to
/// the page width, its font chosen for the language. No widgets: the PDF is written at build time.
class GuideDocument
{
public:
    /// Reads `markdownPath`; pictures are looked up relative to its folder. `chinese` picks a font with CJK glyphs.
    bool load(const QString& markdownPath, bool chinese, QString* error);

    /// Lays the document out on A4 pages and writes it to `pdfPath`, page numbers below.
    bool writePdf(const QString& pdfPath, const QString& title, QString* error);

    /// The texts of the level-1 and level-2 headings, in order (the chapters the test looks for).
    QStringList headings() const;

    /// Pictures named by the Markdown that could not be read.
    QStringList missingPictures() const { return m_missing; }

    ~GuideDocument();

private:
    void placePictures(const QString& folder);

    QTextDocument* m_doc = nullptr;
    QStringList m_missing;
};
