#pragma once

#include <QString>

class QWidget;

namespace orvandel {

// What the window shows of an extraction run, and all that the run controller may touch of it:
// the output folder's text, the progress bar, the pointer, the controls that change while a run
// is under way, and the handling of what is pending. The file list is a model of its own; boxes
// go through Prompts.
class RunView
{
public:
    virtual ~RunView() = default;

    // The output folder box's text, read anew for each image.
    virtual QString outputFolderText() const = 0;
    // The progress bar's value (0 to 100) and caption. They are drawn at the screen's rate;
    // showProgressNow() draws what was set last at once.
    virtual void setProgress(double percent) = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual void showProgressNow() = 0;
    // The window's own pointer back to the default one (the busy one still shows while the
    // controller says the window is busy).
    virtual void pointerBack() = 0;
    // Shows the pointer anew: the busy one, or the window's own.
    virtual void showPointer() = 0;
    // The controls that change while a run is under way: the thorough extraction's menu entry,
    // and for a thorough run the start button ("Stop"), the output box and "...".
    virtual void showRunning(bool running, bool thorough) = 0;
    // Lets the window handle what is pending: the yield of a long loop.
    virtual void handlePending() = 0;
    // The owner and the title of the run's boxes.
    virtual QWidget* boxOwner() = 0;
    virtual QString boxTitle() const = 0;
    // Closes the window once a run that the close waited for has stopped.
    virtual void closeWindow() = 0;
};

} // namespace orvandel
