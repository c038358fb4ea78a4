// Feeds arbitrary bytes to the picture loader, as if read from a file the
// user chose. Any crash, hang or outsized allocation is a finding.
#include "bitmap_loader.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    // The image library's complaints about broken files would drown the
    // fuzzer's own report.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const bitmap::Loaded loaded = bitmap::loadBytes(bytes);
    // Either a picture within the limits or a refusal that says why.
    if (loaded.ok() == !loaded.error.isEmpty())
        std::abort();
    if (loaded.ok() && (loaded.image.format() != QImage::Format_RGB32 || loaded.image.width() > bitmap::kMaxSide ||
                        loaded.image.height() > bitmap::kMaxSide))
        std::abort();
    return 0;
}
