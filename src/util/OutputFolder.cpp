// What every back end of the folder layer shares. The back ends themselves are in
// OutputFolderPosix.cpp, OutputFolderWin.cpp and OutputFolderPortable.cpp, one of which CMake
// builds.
#include "OutputFolder.h"

#include "OutputFolderCommon.h"

#include <cerrno>
#include <mutex>
#include <random>

namespace orvandel {

OutputFolderSeams& FolderSeams()
{
    static OutputFolderSeams seams;
    return seams;
}

namespace {

    // Temporary files are discarded from the thread that writes, and from destructors: the list
    // is guarded for whichever thread that is.
    std::mutex g_leftoversMutex;
    std::vector<LeftoverTemporary> g_leftovers;

} // namespace

std::vector<LeftoverTemporary> RemoveLeftoverTemporaries()
{
    std::vector<LeftoverTemporary> leftovers;
    {
        const std::lock_guard lock(g_leftoversMutex);
        leftovers.swap(g_leftovers);
    }
    std::vector<LeftoverTemporary> standing;
    for (LeftoverTemporary& leftover : leftovers) {
        if (const auto error = folder_layer::RemoveFile(leftover.path)) {
            if (error != std::errc::no_such_file_or_directory)
                standing.push_back({std::move(leftover.path), error});
        }
    }
    return standing;
}

namespace folder_layer {

    void NoteLeftover(std::string path, std::error_code error) noexcept
    {
        try {
            const std::lock_guard lock(g_leftoversMutex);
            g_leftovers.push_back({std::move(path), error});
        } catch (...) {
            // Out of memory: the file is left, as it would be without the list.
        }
    }

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
