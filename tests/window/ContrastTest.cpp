#include "FormFixture.h"
#include "window/CaptionProgressBar.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <QtTest>
#include <cmath>
#include <map>

using namespace orvandel;
using orvandel::test::FormFixture;

namespace {

// The relative luminance and the contrast ratio of two colours, as the web's accessibility
// guidelines reckon them: 1 for equal colours, 21 for black on white.
double Luminance(const QColor& colour)
{
    const auto channel = [](int value) {
        const double v = value / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green())
        + 0.0722 * channel(colour.blue());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How well what is drawn in `area` stands out from the area's most common colour, its
// background: the contrast of the pixel that differs most from it.
double InkContrast(const QImage& image, const QRect& area)
{
    std::map<QRgb, int> counts;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    if (counts.empty())
        return 0;
    QRgb background = counts.begin()->first;
    for (const auto& [colour, count] : counts)
        if (count > counts[background])
            background = colour;
    double best = 1;
    for (const auto& [colour, count] : counts)
        best = std::max(best, Contrast(QColor(colour), QColor(background)));
    return best;
}

QPalette DarkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(40, 40, 40));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    dark.setColor(QPalette::BrightText, Qt::red);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    dark.setColor(QPalette::ToolTipText, QColor(235, 235, 235));
    dark.setColor(QPalette::Light, QColor(90, 90, 95));
    dark.setColor(QPalette::Midlight, QColor(75, 75, 80));
    dark.setColor(QPalette::Mid, QColor(50, 50, 54));
    dark.setColor(QPalette::Dark, QColor(25, 25, 27));
    dark.setColor(QPalette::Shadow, Qt::black);
    return dark;
}

// Enough for bold text of this size.
constexpr double kReadable = 4.5;

} // namespace

// Every text of the window stands out from what it is drawn on, whatever the palette.
class ContrastTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_palette = QApplication::palette();
        m_style = QApplication::style()->name();
    }

    void cleanup()
    {
        m_unreadable.clear();
        m_fixture.reset();
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_palette);
    }

    void textsAreReadable_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("skin");
        for (const char* style : {"Fusion", "Windows"})
            for (const bool dark : {false, true})
                for (const bool skin : {false, true})
                    QTest::addRow("%s, %s palette%s", style, dark ? "dark" : "light", skin ? ", skin" : "")
                        << style << dark << skin;
    }

    void textsAreReadable()
    {
        QFETCH(QString, style);
        QFETCH(bool, dark);
        QFETCH(bool, skin);
        QStyle* chosen = QStyleFactory::create(style);
        if (!chosen)
            QSKIP("This Qt has no such style");
        QApplication::setStyle(chosen);
        QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());
        m_fixture = std::make_unique<FormFixture>();
        if (skin)
            m_fixture->programFile("x/o.cjs", "QPushButton { padding: 1px; }");
        Form1& form = m_fixture->start();
        test::AppendAll(form.fileList(), {"/cards/one.vcf", "/cards/two.vcf"});
        form.fileList().flush();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        auto* frame = m_fixture->child<QGroupBox>("Frame1");
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.lineWidth = 1;
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title
            = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        expectReadable("the frame's title", frame->grab().toImage(), title);

        auto* list = m_fixture->child<FileListView>("ListView1");
        list->clearSelection();
        expectReadable("a listed file", list->viewport()->grab().toImage(),
                       list->visualRect(form.fileList().index(0)));
        QHeaderView* header = list->header();
        expectReadable("the list's header", header->grab().toImage(),
                       QRect(0, 0, std::min(header->sectionSize(0), 120), header->height()));

        auto* box = m_fixture->child<QLineEdit>("Text1");
        expectReadable("the output folder", box->grab().toImage(), box->rect().adjusted(3, 3, -3, -3));

        for (const char* name :
             {"PushButton1", "PushButton2", "PushButton6", "PushButton7", "PushButton8", "PushButton9"}) {
            auto* button = m_fixture->child<QPushButton>(name);
            expectReadable(name, button->grab().toImage(), button->rect().adjusted(4, 4, -4, -4));
        }

        auto* bar = m_fixture->child<CaptionProgressBar>("ProgressBar1");
        expectReadable("the progress caption", bar->grab().toImage(), bar->rect().adjusted(3, 3, -3, -3));
        QVERIFY2(m_unreadable.isEmpty(), qPrintable(m_unreadable.join("; ")));
    }

private:
    void expectReadable(const char* what, const QImage& image, const QRect& area)
    {
        const double contrast = InkContrast(image, area);
        if (contrast < kReadable) {
            const QString saved = QDir::temp().filePath(
                QStringLiteral("orvandel-contrast-%1.png").arg(QString::fromLatin1(what).replace(' ', '-')));
            image.save(saved);
            m_unreadable << QStringLiteral("%1 has a contrast of %2 (see %3)")
                                .arg(QLatin1String(what))
                                .arg(contrast, 0, 'f', 2)
                                .arg(saved);
        }
    }

    std::unique_ptr<FormFixture> m_fixture;
    QStringList m_unreadable;
    QPalette m_palette;
    QString m_style;
};

QTEST_MAIN(ContrastTest)
#include "ContrastTest.moc"
