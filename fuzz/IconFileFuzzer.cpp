// The cursor and icon reader on any bytes: it chooses an image or throws IconFileError. A chosen
// image lies within the file, has the size its own header tells (1 to 4,096 pixels a side, at
// most 256 unless no entry fits), a hot spot within it when the file is a cursor, and a file
// made of it alone gives the same image back.

#include "window/skin/IconFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvandel;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    IconImage image;
    try {
        image = ChooseIconImage(file);
    } catch (const IconFileError&) {
        return 0;
    }
    Check(image.bytes.data() >= file.data()
          && image.bytes.data() + image.bytes.size() <= file.data() + file.size());
    Check(image.width >= 1 && image.width <= kMaxDecodedIconSide);
    Check(image.height >= 1 && image.height <= kMaxDecodedIconSide);
    if (image.cursor)
        Check(image.hotX >= 0 && image.hotX < image.width && image.hotY >= 0 && image.hotY < image.height);
    else
        Check(image.hotX == -1 && image.hotY == -1);
    const std::string alone = SingleImageIconFile(image);
    const IconImage again = ChooseIconImage(alone);
    Check(again.kind == image.kind && again.width == image.width && again.height == image.height);
    Check(again.bytes == image.bytes && !again.cursor);
    return 0;
}
