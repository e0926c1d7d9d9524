#include "ExporterShapes.h"

#include "FilesIn.h"
#include "support/RecordingRunHost.h"
#include "support/TempDir.h"
#include "support/TestRuns.h"
#include "util/PathHelpers.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using namespace test;

    class ExporterShapeTest : public ::testing::TestWithParam<ExporterShape>
    {
    };

    TEST_P(ExporterShapeTest, WritesEveryPhotoNamedAfterItsCard)
    {
        const ExporterShape& shape = GetParam();
        TempDir dir;
        RecordingRunHost host;
        host.folder = dir.mkdir("out");
        host.items.push_back(dir.write("in/" + shape.fileName, shape.bytes));
        ThoroughOptions options;
        options.logos = shape.logos;
        test::ThoroughTestRun run(options);

        EXPECT_EQ(run.start(host), RunOutcome::Finished);
        for (const auto& report : host.failures)
            ADD_FAILURE() << report.description;
        std::map<std::string, std::string> expected;
        for (const auto& photo : shape.photos)
            expected[photo.name] = photo.bytes;
        EXPECT_EQ(FilesIn(host.folder), expected) << "and nothing else, no temporary file either";

        std::vector<std::string> written;
        std::vector<std::string> links;
        for (const auto& photo : host.photos) {
            if (photo.status == PhotoStatus::Written)
                written.push_back(GetFileName(photo.output));
            if (photo.status == PhotoStatus::Link)
                links.push_back(photo.url);
        }
        std::vector<std::string> expectedNames;
        for (const auto& photo : shape.photos)
            expectedNames.push_back(photo.name);
        EXPECT_EQ(written, expectedNames) << "in the order of the cards";
        EXPECT_EQ(links, shape.links);
        ASSERT_EQ(host.results.size(), 1u);
        EXPECT_EQ(host.results[0].status, shape.photos.empty() ? ItemStatus::NoPhoto : ItemStatus::Written);
    }

    INSTANTIATE_TEST_SUITE_P(Table,
                             ExporterShapeTest,
                             ::testing::ValuesIn(ExporterShapes()),
                             [](const auto& info) { return info.param.name; });

} // namespace
} // namespace orvandel
