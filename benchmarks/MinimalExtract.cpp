// The yardstick for the side-by-side benchmark: the least a program can do to take the photos
// out, with no checks at all. No temporary file, no name rules, no report, no error handling
// beyond giving up.
//
//   minimal_extract classic OUT DIR     every ".vcf" file of DIR (not its subfolders): the first
//                                       photo header line, its data cut at "==" or "=", decoded
//                                       with a table, written to OUT/<stem>.jpg
//   minimal_extract thorough OUT FILE   every PHOTO line of the export FILE: the Base64 up to the
//                                       next property, written to OUT/<n>.jpg, n from 1
//
// Both print how many images they wrote.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t kSkip = 255;

constexpr std::array<std::uint8_t, 256> MakeTable()
{
    std::array<std::uint8_t, 256> table {};
    for (auto& value : table)
        value = kSkip;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}

constexpr auto kTable = MakeTable();

std::string ReadWhole(const char* path)
{
    std::string bytes;
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0)
        return bytes;
    struct stat info
    {
    };
    ::fstat(fd, &info);
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return;
    if (::write(fd, bytes.data(), bytes.size()) < 0)
        std::perror(path.c_str());
    ::close(fd);
}

// Decodes the Base64 of `text`, passing over every character outside the alphabet.
void Decode(std::string_view text, std::string& bytes)
{
    bytes.resize(text.size() / 4 * 3 + 3);
    char* out = bytes.data();
    std::uint32_t group = 0;
    int have = 0;
    for (const char c : text) {
        const std::uint8_t value = kTable[static_cast<unsigned char>(c)];
        if (value == kSkip)
            continue;
        group = (group << 6) | value;
        if (++have == 4) {
            out[0] = static_cast<char>(group >> 16);
            out[1] = static_cast<char>(group >> 8);
            out[2] = static_cast<char>(group);
            out += 3;
            have = 0;
        }
    }
    if (have == 2) {
        *out++ = static_cast<char>(group >> 4);
    } else if (have == 3) {
        *out++ = static_cast<char>(group >> 10);
        *out++ = static_cast<char>(group >> 2);
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
}

bool IsPhotoHeader(std::string_view header)
{
    return header == "PHOTO;ENCODING=B;TYPE=JPEG" || header == "PHOTO;TYPE=JPEG;ENCODING=BASE64"
        || header == "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64" || header == "PHOTO"
        || header == "PHOTO;VALUE=URL;TYPE=GIF";
}

// The data of the first photo header line, cut at "==" or "=", or nothing.
std::string_view FirstPhotoData(std::string_view text)
{
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && IsPhotoHeader(line.substr(0, colon))) {
            const std::size_t data = start + colon + 1;
            std::size_t cut = text.find("==", data);
            if (cut != std::string_view::npos)
                return text.substr(data, cut + 2 - data);
            cut = text.find('=', data);
            if (cut != std::string_view::npos)
                return text.substr(data, cut + 1 - data);
            return text.substr(data);
        }
        start = end + 1;
    }
    return {};
}

int Classic(const std::string& out, const std::string& dir)
{
    DIR* listing = ::opendir(dir.c_str());
    if (!listing)
        return 1;
    std::size_t written = 0;
    std::string bytes;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() <= 4 || name.substr(name.size() - 4) != ".vcf")
            continue;
        const std::string text = ReadWhole((dir + "/" + std::string(name)).c_str());
        const std::string_view data = FirstPhotoData(text);
        if (data.empty())
            continue;
        Decode(data, bytes);
        WriteWhole(out + "/" + std::string(name.substr(0, name.size() - 4)) + ".jpg", bytes);
        ++written;
    }
    ::closedir(listing);
    std::printf("%zu images\n", written);
    return 0;
}

int Thorough(const std::string& out, const char* file)
{
    const std::string text = ReadWhole(file);
    std::size_t written = 0;
    std::string bytes;
    std::string data;
    const std::string_view marker = "\nPHOTO";
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
        const std::size_t colon = text.find(':', at);
        if (colon == std::string::npos)
            break;
        // The value runs on over folded lines (a blank or a tab at their start).
        std::size_t end = colon + 1;
        for (;;) {
            end = text.find('\n', end);
            if (end == std::string::npos) {
                end = text.size();
                break;
            }
            if (end + 1 >= text.size() || (text[end + 1] != ' ' && text[end + 1] != '\t'))
                break;
            ++end;
        }
        Decode(std::string_view(text).substr(colon + 1, end - colon - 1), bytes);
        WriteWhole(out + "/" + std::to_string(++written) + ".jpg", bytes);
        at = end;
    }
    std::printf("%zu images\n", written);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "classic") == 0)
        return Classic(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "thorough") == 0)
        return Thorough(argv[2], argv[3]);
    std::fprintf(stderr, "usage: minimal_extract classic OUT DIR | thorough OUT FILE\n");
    return 2;
}
