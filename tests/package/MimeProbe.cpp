// plotra_mime_probe FILE...: prints the MIME type that the desktop's shared MIME database (as Qt reads
// it from XDG_DATA_DIRS) gives each file, one per line. The package test points XDG_DATA_DIRS at an
// installed tree to check that Plotra's types are recognised by name and by content.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QMimeDatabase db;
    const QStringList files = QCoreApplication::arguments().mid(1);
    for (const QString& file : files)
        std::printf("%s\n", qPrintable(db.mimeTypeForFile(file).name()));
    return files.isEmpty() ? 2 : 0;
}
