#pragma once

#include "util/OutputFolder.h"

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace orvandel::test {

// An output folder kept in memory that follows the name rules of file systems this machine may
// not have: letter case ignored (FAT, exFAT, NTFS, APFS), Unicode normalisation ignored as well
// (APFS, HFS+), short 8.3 aliases (FAT), and file numbers that are stable (kernel drivers),
// differ for each spelling of a name (FUSE's fusefat) or are all the same (fusefat -o use_ino).
class SimulatedFolder : public OutputFolder, public std::enable_shared_from_this<SimulatedFolder>
{
public:
    enum class Names
    {
        Exact, // ext4: every spelling is its own name
        IgnoreCase, // NTFS, exFAT: "Card.jpg" is "CARD.JPG"
        IgnoreCaseAndForm, // APFS: also "é" written as one character or as "e" and an accent
        ShortNames, // FAT: case ignored, and "PHOTOG~1.JPG" is "Photograph.jpg"
    };
    enum class Numbers
    {
        Stable,
        PerSpelling,
        AllTheSame,
    };

    static std::shared_ptr<SimulatedFolder> make(Names names, Numbers numbers);
    SimulatedFolder(Names names, Numbers numbers);

    // Something that stood in the folder before the run.
    void addFile(const std::string& name, const std::string& bytes);
    void addFolder(const std::string& name);
    // Every entry as the folder lists it, with its bytes ("<folder>" for a folder).
    std::map<std::string, std::string> entries() const;
    // The bytes that `name` leads to under the folder's rules; "" when nothing is there.
    std::string read(const std::string& name) const;
    int flushes() const noexcept { return m_flushes; }

    std::unique_ptr<Temporary> createTemporary(std::string_view hint, std::error_code& error) override;
    FolderEntry lookup(std::string_view name) override;
    std::error_code forEachName(const std::function<void(std::string_view)>& visit) override;
    std::error_code flush() override;
    std::optional<FileIdentity> identity() const override { return FileIdentity {7, 1}; }

    // For its temporary files.
    std::error_code
    place(const std::string& name, const std::string& bytes, std::uint64_t number, bool replace);
    std::uint64_t newNumber();

private:
    struct Entry
    {
        std::string name; // as spelt when it was made
        bool directory = false;
        std::string bytes;
        std::uint64_t number = 0;
        std::string shortName; // ShortNames: its 8.3 alias
    };

    std::string fold(std::string_view name) const;
    std::string shortNameFor(const std::string& name) const;
    const Entry* resolve(std::string_view name) const;
    void add(Entry entry);

    Names m_names;
    Numbers m_numbers;
    std::vector<Entry> m_entries;
    std::uint64_t m_lastNumber = 10;
    int m_flushes = 0;
};

// One kind of file system to run a table of tests on.
struct SimulatedFolderKind
{
    const char* name;
    SimulatedFolder::Names names;
    SimulatedFolder::Numbers numbers;
};

inline void PrintTo(const SimulatedFolderKind& kind, std::ostream* out)
{
    *out << kind.name;
}

inline constexpr SimulatedFolderKind kSimulatedFolderKinds[] = {
    {"Ext4", SimulatedFolder::Names::Exact, SimulatedFolder::Numbers::Stable},
    {"Ntfs", SimulatedFolder::Names::IgnoreCase, SimulatedFolder::Numbers::Stable},
    {"Apfs", SimulatedFolder::Names::IgnoreCaseAndForm, SimulatedFolder::Numbers::Stable},
    {"KernelFat", SimulatedFolder::Names::ShortNames, SimulatedFolder::Numbers::Stable},
    {"FuseFat", SimulatedFolder::Names::ShortNames, SimulatedFolder::Numbers::PerSpelling},
    {"FuseFatWithUseIno", SimulatedFolder::Names::ShortNames, SimulatedFolder::Numbers::AllTheSame},
};

} // namespace orvandel::test
