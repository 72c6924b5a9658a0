#include "FuzzEntry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    kolvar::fuzz::readCopyLine(bytes);
    kolvar::fuzz::roundTripCopyLine(bytes);
    return 0;
}
