#pragma once

#include <QColor>
#include <QPalette>

class QAction;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;

namespace orvandel {

class CaptionProgressBar;
class FileListModel;
class FileListView;
class TitledFrame;

// The window's controls, each named as the window's description names it (its objectName).
struct FormControls
{
    FileListModel* fileList = nullptr;
    FileListView* listView = nullptr; // ListView1
    QPushButton* pushButton1 = nullptr; // "Add VCF File(s)"
    QPushButton* pushButton2 = nullptr; // "Start Extracting VCF Images"
    QPushButton* pushButton6 = nullptr; // "Load Sample/Example Files"
    QPushButton* pushButton7 = nullptr; // "Add All VCF File(s) In Folder"
    QPushButton* pushButton8 = nullptr; // "Clear List"
    QPushButton* pushButton9 = nullptr; // "..."
    TitledFrame* frame1 = nullptr; // "Save Results To This Folder"
    QLineEdit* text1 = nullptr; // the output folder
    CaptionProgressBar* progressBar1 = nullptr;
    QAction* startThorough = nullptr; // "Start Thorough Extraction", on two context menus
};

// Lays the window out as it is described, in twips at 96 dots per inch: a fixed size, white,
// Arial bold, every control at its place and of a fixed size, in its tab order. `hover` watches
// the buttons and the frame for the pointer rules and the keys. Connects nothing.
FormControls BuildFormLayout(QWidget& form, QObject& hover);

// The caption of the start button when it starts, and when it stops a thorough run.
QString StartCaption();
QString StopCaption();

// `palette` with the window's background and the colour of the texts drawn straight on it (the
// frame's title, the caption of some styles' progress bars), so that they stay apart whatever
// colours the desktop's palette brings; disabled texts get a colour between the two.
QPalette WithBackground(QPalette palette, const QColor& background, const QColor& text);

// Twips as pixels: 15 twips make one pixel at 96 dots per inch.
constexpr int Px(int twips)
{
    return (twips + 7) / 15;
}

} // namespace orvandel
