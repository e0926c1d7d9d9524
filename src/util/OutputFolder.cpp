// What every back end of the folder layer shares. The back ends themselves are in
// OutputFolderPosix.cpp, OutputFolderWin.cpp and OutputFolderPortable.cpp, one of which CMake
// builds.
#include "OutputFolder.h"

#include "OutputFolderCommon.h"

#include <cerrno>
#include <random>

namespace orvandel {

OutputFolderSeams& FolderSeams()
{
    static OutputFolderSeams seams;
    return seams;
}

namespace folder_layer {

    std::error_code LastError()
    {
        return {errno, std::generic_category()};
    }

    namespace {

        std::string RandomSuffix()
        {
            if (FolderSeams().temporarySuffix)
                return FolderSeams().temporarySuffix();
            static std::mt19937_64 generator {std::random_device {}()};
            static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
            std::string suffix(8, '0');
            for (char& c : suffix)
                c = kDigits[generator() % (sizeof kDigits - 1)];
            return suffix;
        }

    } // namespace

    // The hint is cut at a character so that file systems which check names for UTF-8 accept it.
    std::string TemporaryName(std::string_view hint)
    {
        constexpr std::size_t kMaxHint = 100;
        std::string cut(hint.substr(0, kMaxHint));
        if (hint.size() > kMaxHint) {
            while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
                cut.pop_back();
            if (!cut.empty() && static_cast<unsigned char>(cut.back()) >= 0xC0)
                cut.pop_back();
        }
        for (char& c : cut) {
            if (c == '/' || c == '\\')
                c = '_';
        }
        return "." + cut + "." + RandomSuffix() + ".part";
    }

} // namespace folder_layer

} // namespace orvandel
