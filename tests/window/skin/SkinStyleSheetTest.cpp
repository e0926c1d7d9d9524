// A skin's style sheet written anew: it colours the window, but sizes nothing beyond a few hundred
// pixels and reads no file that the window has not vetted.
#include "window/skin/SkinStyleSheet.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvandel {
namespace {

    struct SheetCase
    {
        const char* name;
        std::string sheet;
        std::string safe;
        std::vector<std::string> urls = {};
    };

    class SkinStyleSheetTest : public ::testing::TestWithParam<SheetCase>
    {
    };

    TEST_P(SkinStyleSheetTest, KeepsTheLookAndNothingElse)
    {
        std::vector<std::string> urls;
        const std::string safe = SafeSkinStyleSheet(GetParam().sheet, [&](const std::string& address) {
            urls.push_back(address);
            // An image that is gone is absent.
            return address.starts_with("gone") ? std::string() : "/vetted/" + std::to_string(urls.size());
        });
        EXPECT_EQ(safe, GetParam().safe);
        EXPECT_EQ(urls, GetParam().urls);
        // The plain form is given back as it is.
        EXPECT_EQ(SafeSkinStyleSheet(safe, [](const std::string& address) { return address; }), safe);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        SkinStyleSheetTest,
        ::testing::Values(
            SheetCase {"Colours", "QPushButton { color: rgb(10, 20, 30); }",
                       "QPushButton{color:rgb(10, 20, 30);}\n"},
            SheetCase {
                "Gradient",
                "QWidget#Form1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff, stop:1 "
                "#ABC) !important }",
                "QWidget#Form1{background:qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff, stop:1 "
                "#ABC) !important;}\n"},
            SheetCase {"SizesGo",
                       "QPushButton { min-width: 16777215px; color: red; WIDTH: 9px; max-height: 1px }",
                       "QPushButton{color:red;}\n"},
            SheetCase {"EscapedSizeGoes", "* { min\\-width: 9999px; m\\61x-width: 1px }", "*{}\n"},
            SheetCase {"PropertiesGo", "QWidget { qproperty-minimumWidth: 9000; background: white }",
                       "QWidget{background:white;}\n"},
            SheetCase {"LengthsKeptSmall", "* { padding: 16777215px 2PX; font-size: 9999pt; margin: -100em }",
                       "*{padding:64px 2px;font-size:48pt;margin:-4em;}\n"},
            SheetCase {"BareLengths", "* { border: 100000 solid red; font-weight: 900; spacing: 1e3 }",
                       "*{border:64 solid red;font-weight:900;}\n"},
            SheetCase {"HugeNumber", "* { padding: " + std::string(400, '9') + "px }", "*{padding:64px;}\n"},
            SheetCase {"HiddenNumbersGo",
                       "* { padding: \"16777215px\"; margin: \\31 6777215px; border-width: 1e9px }", "*{}\n"},
            SheetCase {"FontNames",
                       "* { font-family: \"Noto \\\"Sans\\\"\", serif; font: bold 12pt 'Arial' }",
                       "*{font-family:\"Noto \\\"Sans\\\"\", serif;font:bold 12pt \"Arial\";}\n"},
            SheetCase {
                "Addresses",
                "QWidget { background-image: url( a\\)b.png ); border-image: URL(\"x.png\") 4 4 4 4 }",
                "QWidget{background-image:url(\"/vetted/1\");border-image:url(\"/vetted/2\") 4 4 4 4;}\n",
                {"a)b.png", "x.png"}},
            SheetCase {"AbsentImagesGo",
                       "QWidget { background-image: url(gone.png); color: red; image: url(a) }",
                       "QWidget{color:red;image:url(\"/vetted/2\");}\n",
                       {"gone.png", "a"}},
            SheetCase {"AtRules",
                       "@import url(evil.css); @charset \"x\"; @font-face { src: url(f.ttf) } /* x */ "
                       "@media screen { QLabel { color: blue } @media print { * { color: red } } }",
                       "@media screen{\nQLabel{color:blue;}\n}\n"},
            SheetCase {"StrangeSelectorsGo",
                       "a/b { color: red } c\\64 { color: red } QLabel:!hover { color: red }",
                       "QLabel:!hover{color:red;}\n"},
            SheetCase {"StrayCharactersGo", "QLabel { color: red <b>; color: {blue}; background: green }",
                       "QLabel{background:green;}\n"},
            SheetCase {"NumbersWrittenTogetherStayApart", "* { padding: 1+9999px 2.5.5px }",
                       "*{padding:1 +64px 2.5 .5px;}\n"},
            SheetCase {"NoNulInAString", std::string("* { font-family: \"a\0b\\\0c\" }", 27),
                       "*{font-family:\"a\xEF\xBF\xBD"
                       "b\xEF\xBF\xBD"
                       "c\";}\n"},
            SheetCase {"UnclosedAtTheEnd", "QPushButton { color: red", "QPushButton{color:red;}\n"},
            SheetCase {"NoWayToAFileOfSheets", "file:///dev/zero", ""}),
        [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
