#pragma once

#include <filesystem>
#include <string>

namespace orvandel::bench {

// A generated folder tree in the temporary folder, removed at the end: folders of ten
// subfolders each, level by level, until there are `folders`; `filesPerFolder` files in each,
// three of four of them card files (".vcf"), the others ".txt".
class GeneratedTree
{
public:
    GeneratedTree(int folders, int filesPerFolder);
    ~GeneratedTree();
    GeneratedTree(const GeneratedTree&) = delete;
    GeneratedTree& operator=(const GeneratedTree&) = delete;

    std::string path() const { return m_root.string(); }

private:
    std::filesystem::path m_root;
};

} // namespace orvandel::bench
