#include "SimulatedFolder.h"

#include <algorithm>
#include <cerrno>
#include <functional>

namespace orvandel::test {

namespace {

    std::string Upper(std::string_view text)
    {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        return out;
    }

    std::string Lower(std::string_view text)
    {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }

    // A few letters written as a base letter and a combining mark, and as one character.
    struct Composed
    {
        std::string_view decomposed;
        std::string_view composed;
    };
    constexpr Composed kComposed[] = {
        {"e\xCC\x81", "\xC3\xA9"}, // é
        {"a\xCC\x88", "\xC3\xA4"}, // ä
        {"o\xCC\x88", "\xC3\xB6"}, // ö
        {"u\xCC\x88", "\xC3\xBC"}, // ü
        {"n\xCC\x83", "\xC3\xB1"}, // ñ
    };

    std::string Compose(std::string text)
    {
        for (const Composed& pair : kComposed) {
            for (auto at = text.find(pair.decomposed); at != std::string::npos;
                 at = text.find(pair.decomposed, at))
                text.replace(at, pair.decomposed.size(), pair.composed);
        }
        return text;
    }

    class SimulatedTemporary : public OutputFolder::Temporary
    {
    public:
        SimulatedTemporary(std::shared_ptr<SimulatedFolder> folder, std::uint64_t number)
            : m_folder(std::move(folder))
            , m_number(number)
        {
        }

        std::error_code write(std::string_view bytes) override
        {
            if (m_finished)
                return std::make_error_code(std::errc::bad_file_descriptor);
            m_bytes += bytes;
            return {};
        }
        std::error_code finish() override
        {
            m_finished = true;
            return {};
        }
        std::error_code placeNew(std::string_view name) override
        {
            return m_folder->place(std::string(name), m_bytes, m_number, false);
        }
        std::error_code replace(std::string_view name) override
        {
            return m_folder->place(std::string(name), m_bytes, m_number, true);
        }
        void discard() noexcept override { }
        std::optional<FileIdentity> identity() const override { return FileIdentity {7, m_number}; }
        const std::string& temporaryName() const noexcept override { return m_name; }

    private:
        std::shared_ptr<SimulatedFolder> m_folder;
        std::uint64_t m_number;
        std::string m_bytes;
        std::string m_name;
        bool m_finished = false;
    };

} // namespace

std::shared_ptr<SimulatedFolder> SimulatedFolder::make(Names names, Numbers numbers)
{
    return std::make_shared<SimulatedFolder>(names, numbers);
}

SimulatedFolder::SimulatedFolder(Names names, Numbers numbers)
    : OutputFolder("sim/")
    , m_names(names)
    , m_numbers(numbers)
{
}

std::string SimulatedFolder::fold(std::string_view name) const
{
    switch (m_names) {
    case Names::Exact:
        return std::string(name);
    case Names::IgnoreCase:
    case Names::ShortNames:
        return Lower(name);
    case Names::IgnoreCaseAndForm:
        return Lower(Compose(std::string(name)));
    }
    return std::string(name);
}

std::string SimulatedFolder::shortNameFor(const std::string& name) const
{
    const auto dot = name.rfind('.');
    const std::string base = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    const bool fits = base.size() <= 8 && extension.size() <= 3 && Upper(name) == name
        && name.find(' ') == std::string::npos && base.find('.') == std::string::npos;
    if (fits)
        return name;
    std::string basis;
    for (const char c : Upper(base)) {
        if (c != ' ' && c != '.')
            basis += static_cast<unsigned char>(c) < 0x80 ? c : '_';
    }
    basis = basis.substr(0, 6);
    const std::string suffix = extension.empty() ? std::string() : "." + Upper(extension.substr(0, 3));
    for (int n = 1;; ++n) {
        std::string candidate = basis + "~" + std::to_string(n) + suffix;
        if (std::none_of(m_entries.begin(), m_entries.end(),
                         [&](const Entry& entry) { return entry.shortName == candidate; }))
            return candidate;
    }
}

const SimulatedFolder::Entry* SimulatedFolder::resolve(std::string_view name) const
{
    const std::string folded = fold(name);
    for (const Entry& entry : m_entries) {
        if (fold(entry.name) == folded)
            return &entry;
        if (m_names == Names::ShortNames && entry.shortName == Upper(name))
            return &entry;
    }
    return nullptr;
}

void SimulatedFolder::add(Entry entry)
{
    if (m_names == Names::ShortNames)
        entry.shortName = shortNameFor(entry.name);
    m_entries.push_back(std::move(entry));
}

void SimulatedFolder::addFile(const std::string& name, const std::string& bytes)
{
    add({name, false, bytes, newNumber(), {}});
}

void SimulatedFolder::addFolder(const std::string& name)
{
    add({name, true, {}, newNumber(), {}});
}

std::uint64_t SimulatedFolder::newNumber()
{
    return m_numbers == Numbers::AllTheSame ? 2 : ++m_lastNumber;
}

std::map<std::string, std::string> SimulatedFolder::entries() const
{
    std::map<std::string, std::string> all;
    for (const Entry& entry : m_entries)
        all[entry.name] = entry.directory ? "<folder>" : entry.bytes;
    return all;
}

std::string SimulatedFolder::read(const std::string& name) const
{
    const Entry* entry = resolve(name);
    return entry && !entry->directory ? entry->bytes : std::string();
}

std::unique_ptr<OutputFolder::Temporary> SimulatedFolder::createTemporary(std::string_view,
                                                                          std::error_code& error)
{
    error.clear();
    return std::make_unique<SimulatedTemporary>(shared_from_this(), newNumber());
}

std::error_code
SimulatedFolder::place(const std::string& name, const std::string& bytes, std::uint64_t number, bool replace)
{
    const Entry* standing = resolve(name);
    if (standing && !replace)
        return std::make_error_code(std::errc::file_exists);
    if (standing && standing->directory)
        return std::make_error_code(std::errc::is_a_directory);
    // A rename over another spelling of a name replaces that entry, and the new spelling stays.
    if (standing)
        m_entries.erase(m_entries.begin() + (standing - m_entries.data()));
    add({name, false, bytes, number, {}});
    return {};
}

FolderEntry SimulatedFolder::lookup(std::string_view name)
{
    FolderEntry result;
    const Entry* entry = resolve(name);
    if (!entry)
        return result;
    result.exists = true;
    result.directory = entry->directory;
    std::uint64_t number = entry->number;
    if (m_numbers == Numbers::PerSpelling && entry->name != name)
        number = 1000000 + std::hash<std::string_view> {}(name) % 1000000;
    result.identity = FileIdentity {7, number};
    return result;
}

std::error_code SimulatedFolder::forEachName(const std::function<void(std::string_view)>& visit)
{
    for (const Entry& entry : m_entries)
        visit(entry.name);
    return {};
}

std::error_code SimulatedFolder::flush()
{
    ++m_flushes;
    return {};
}

} // namespace orvandel::test
