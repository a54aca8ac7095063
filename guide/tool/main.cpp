// Writes the user guide's PDF from its Markdown at build time: meridane-guide-pdf <guide.md> <out.pdf> cn|en
#include "GuideDocument.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Fonts need a platform; the build has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args.at(3) != QLatin1String("cn") && args.at(3) != QLatin1String("en"))) {
        std::fprintf(stderr, "usage: meridane-guide-pdf <guide.md> <out.pdf> cn|en\n");
        return 2;
    }
    const bool chinese = args.at(3) == QLatin1String("cn");
    GuideDocument guide;
    QString error;
    if (!guide.load(args.at(1), chinese, &error)) {
        std::fprintf(stderr, "meridane-guide-pdf: %s\n", qPrintable(error));
        return 1;
    }
    if (!guide.missingPictures().isEmpty()) {
        // A guide that shows an empty frame where a window should be is a broken guide.
        std::fprintf(stderr, "meridane-guide-pdf: missing pictures: %s\n",
                     qPrintable(guide.missingPictures().join(QStringLiteral(", "))));
        return 1;
    }
    const QString title = chinese ? QStringLiteral("Meridane 用户手册") : QStringLiteral("Meridane User Guide");
    if (!guide.writePdf(args.at(2), title, &error)) {
        std::fprintf(stderr, "meridane-guide-pdf: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
