#include "FormLayout.h"

#include "CaptionProgressBar.h"
#include "TitledFrame.h"
#include "report/RunTexts.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>

namespace orvandel {

namespace {

    const QString kListHint = QStringLiteral("Drag and drop files here. Double-click item to remove it. Move "
                                             "| line to right and out of window to reveal "
                                             "full names.");
    const QString kThoroughActionText = QStringLiteral("Start Thorough Extraction");

    QFont ArialBold(double points)
    {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(points);
        font.setBold(true);
        return font;
    }

    void PlaceTwips(QWidget* widget, int left, int top, int width, int height)
    {
        widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
    }

} // namespace

QString StartCaption()
{
    return QStringLiteral("Start Extracting VCF Images");
}

QString StopCaption()
{
    return QStringLiteral("Stop");
}

QPalette WithBackground(QPalette palette, const QColor& background, const QColor& text)
{
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Active, QPalette::WindowText, text);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     QColor((background.red() + text.red()) / 2, (background.green() + text.green()) / 2,
                            (background.blue() + text.blue()) / 2));
    return palette;
}

FormControls BuildFormLayout(QWidget& form, QObject& hover)
{
    FormControls controls;
    form.setObjectName(QStringLiteral("Form1"));
    form.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                        | Qt::MSWindowsFixedSizeDialogHint);
    form.setFixedSize(Px(8040), Px(5550));
    form.setFont(ArialBold(9));
    // White, also in a dark palette. The list, the box and the buttons draw on colours of their
    // own and keep the palette's.
    form.setPalette(WithBackground(form.palette(), Qt::white, Qt::black));
    form.setAutoFillBackground(true);

    controls.fileList = new FileListModel(&form);
    controls.listView = new FileListView(&form);
    controls.listView->setObjectName(QStringLiteral("ListView1"));
    controls.listView->setFileList(controls.fileList);
    PlaceTwips(controls.listView, 120, 120, 7800, 2370);
    controls.listView->setToolTip(kListHint);

    const auto button = [&hover](const char* name, const QString& caption, QWidget* parent) {
        auto* pushButton = new QPushButton(caption, parent);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setFont(ArialBold(11.25));
        pushButton->setMouseTracking(true);
        pushButton->installEventFilter(&hover);
        return pushButton;
    };
    controls.pushButton1 = button("PushButton1", QStringLiteral("Add VCF File(s)"), &form);
    PlaceTwips(controls.pushButton1, 120, 2580, 3840, 405);
    controls.pushButton7 = button("PushButton7", QStringLiteral("Add All VCF File(s) In Folder"), &form);
    PlaceTwips(controls.pushButton7, 4080, 2580, 3840, 405);
    controls.pushButton8 = button("PushButton8", QStringLiteral("Clear List"), &form);
    PlaceTwips(controls.pushButton8, 120, 3090, 3840, 405);
    controls.pushButton6 = button("PushButton6", QStringLiteral("Load Sample/Example Files"), &form);
    PlaceTwips(controls.pushButton6, 4080, 3090, 3840, 405);

    controls.frame1 = new TitledFrame(QStringLiteral("Save Results To This Folder"), &form);
    controls.frame1->setObjectName(QStringLiteral("Frame1"));
    PlaceTwips(controls.frame1, 120, 3570, 7800, 810);
    controls.frame1->setAutoFillBackground(true);
    controls.frame1->setMouseTracking(true);
    controls.frame1->installEventFilter(&hover);

    controls.text1 = new QLineEdit(controls.frame1);
    controls.text1->setObjectName(QStringLiteral("Text1"));
    PlaceTwips(controls.text1, 240, 300, 6615, 345);
    controls.pushButton9 = button("PushButton9", QStringLiteral("..."), controls.frame1);
    PlaceTwips(controls.pushButton9, 6960, 300, 600, 345);

    controls.pushButton2 = button("PushButton2", StartCaption(), &form);
    PlaceTwips(controls.pushButton2, 120, 4500, 7800, 405);
    controls.progressBar1 = new CaptionProgressBar(&form);
    controls.progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    PlaceTwips(controls.progressBar1, 120, 5020, 7800, 405);
    controls.progressBar1->setCaption(
        QString::fromUtf8(kIdleProgressCaption.data(), static_cast<qsizetype>(kIdleProgressCaption.size())));

    // The layout is fixed: no control takes another size, whatever a skin says.
    for (QWidget* control : std::initializer_list<QWidget*> {
             controls.listView, controls.pushButton1, controls.pushButton7, controls.pushButton8,
             controls.pushButton6, controls.frame1, controls.text1, controls.pushButton9,
             controls.pushButton2, controls.progressBar1})
        control->setFixedSize(control->size());

    QWidget::setTabOrder(controls.listView, controls.pushButton1);
    QWidget::setTabOrder(controls.pushButton1, controls.pushButton7);
    QWidget::setTabOrder(controls.pushButton7, controls.pushButton8);
    QWidget::setTabOrder(controls.pushButton8, controls.text1);
    QWidget::setTabOrder(controls.text1, controls.pushButton9);
    QWidget::setTabOrder(controls.pushButton9, controls.pushButton2);
    QWidget::setTabOrder(controls.pushButton2, controls.pushButton6);

    // The thorough extraction is on the context menus of the start button and the list, so the
    // window keeps its layout.
    controls.startThorough = new QAction(kThoroughActionText, &form);
    controls.startThorough->setObjectName(QStringLiteral("StartThoroughAction"));
    for (QWidget* widget :
         {static_cast<QWidget*>(controls.pushButton2), static_cast<QWidget*>(controls.listView)}) {
        widget->addAction(controls.startThorough);
        widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    return controls;
}

} // namespace orvandel
