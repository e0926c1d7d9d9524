#include "FolderSeamsGuard.h"

#include "util/ReplacingFile.h"

namespace orvandel::test {

bool UnnamedTemporariesIn(const std::string& folder)
{
    ReplacingFile probe(folder + "/probe");
    probe.create();
    return probe.temporaryPath().empty();
}

} // namespace orvandel::test
