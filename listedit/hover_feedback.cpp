#include "listedit/hover_feedback.h"

#include "window/file_list_widget.h"
#include "window/form1.h"
#include "window/text_progress_bar.h"

#include <QEvent>

#include <initializer_list>

namespace {

constexpr const char* kHandProperty = "stillpressHoverHand";

}  // namespace

void ShowHoverPointer(Form1& form, bool hand)
{
    if (form.IsBusy())
        return;
    if (hand)
        form.setCursor(form.HandCursor());
    else
        form.unsetCursor();
}

HoverFeedback::HoverFeedback(Form1& form) : QObject(&form), form_(form)
{
    const Form1Controls& c = form.Controls();
    for (QPushButton* button : {c.PushButton1, c.PushButton2, c.PushButton3, c.PushButton4, c.PushButton5, c.PushButton7}) {
        button->setProperty(kHandProperty, true);
        // A button passes unused moves on to its parent, whose rule would take the hand away again.
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->setMouseTracking(true);
        button->installEventFilter(this);
    }
    for (QWidget* area :
        std::initializer_list<QWidget*>{&form, c.Frame1, c.Frame2, c.Frame3, c.Frame4, c.Text1, c.ListView1->viewport()}) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }
    // Controls without a rule keep the pointer as it was; unstopped, their moves would reach the
    // frame or window around them, whose rule would apply.
    for (QRadioButton* option : c.Option)
        option->setAttribute(Qt::WA_NoMousePropagation);
    for (QWidget* control : std::initializer_list<QWidget*>{c.Slider1, c.Combo1, c.ProgressBar1, c.ProgressBar2})
        control->setAttribute(Qt::WA_NoMousePropagation);
    connect(&form.Busy(), &BusyState::Changed, this, &HoverFeedback::FollowBusyState);
}

bool HoverFeedback::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        ShowHoverPointer(form_, watched->property(kHandProperty).toBool());
    return false;
}

// Controls with a pointer of their own would hide the window's wait cursor; they take it while busy.
void HoverFeedback::FollowBusyState(bool busy)
{
    const Form1Controls& c = form_.Controls();
    QWidget* listArea = c.ListView1->viewport();
    if (busy) {
        c.Text1->setCursor(Qt::WaitCursor);
        listArea->setCursor(Qt::WaitCursor);
    } else {
        c.Text1->setCursor(Qt::IBeamCursor);
        listArea->unsetCursor();
    }
}
