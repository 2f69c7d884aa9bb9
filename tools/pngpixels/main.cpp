// narv-png-pixels FILE...: for each picture its width, height and a digest of its pixels, so
// that pictures encoded with other settings compare equal when they show the same.
#include <QtCore/QCryptographicHash>
#include <QtCore/QString>
#include <QtGui/QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const QImage loaded(QString::fromLocal8Bit(argv[i]));
        if (loaded.isNull()) {
            std::fprintf(stderr, "%s: not a picture\n", argv[i]);
            status = 1;
            continue;
        }
        const QImage image = loaded.convertToFormat(QImage::Format_ARGB32);
        QCryptographicHash digest(QCryptographicHash::Sha256);
        const auto rowBytes = static_cast<qsizetype>(image.width()) * 4;
        for (int y = 0; y < image.height(); ++y)
            digest.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)),
                                          rowBytes));
        std::printf("%d %d %s\n", image.width(), image.height(),
                    digest.result().toHex().constData());
    }
    return status;
}
