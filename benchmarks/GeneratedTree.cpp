#include "GeneratedTree.h"

#include <deque>
#include <fstream>
#include <random>

namespace orvandel::bench {

namespace fs = std::filesystem;

GeneratedTree::GeneratedTree(int folders, int filesPerFolder)
    : m_root(fs::temp_directory_path() / ("orvandel-bench-tree-" + std::to_string(std::random_device {}())))
{
    fs::create_directories(m_root);
    std::deque<fs::path> open {m_root};
    int made = 0;
    while (made < folders) {
        const fs::path parent = open.front();
        open.pop_front();
        for (int i = 0; i < 10 && made < folders; ++i, ++made) {
            const fs::path folder = parent / ("Folder " + std::to_string(made));
            fs::create_directory(folder);
            open.push_back(folder);
            for (int k = 0; k < filesPerFolder; ++k) {
                const char* extension = k % 4 == 3 ? ".txt" : ".vcf";
                std::ofstream(folder / ("card-" + std::to_string(k) + extension)) << "BEGIN:VCARD\r\n";
            }
        }
    }
}

GeneratedTree::~GeneratedTree()
{
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

} // namespace orvandel::bench
