#include "listedit/hover_feedback.h"

#include "window/busy_state.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

HoverFeedback::HoverFeedback(Areas areas, const BusyState& busy, const QCursor& hand)
    : areas_(std::move(areas)), busy_(busy), hand_(hand)
{
    for (QWidget* button : areas_.buttons) {
        // A button passes unused moves on to its parent, whose rule would take the hand away again.
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->setMouseTracking(true);
        button->installEventFilter(this);
    }
    for (QWidget* area : areas_.plain) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }
    // Unstopped, their moves would reach the frame or window around them, whose rule would apply.
    for (QWidget* control : areas_.withoutRule)
        control->setAttribute(Qt::WA_NoMousePropagation);
    connect(&busy, &BusyState::Changed, this, &HoverFeedback::FollowBusyState);
}

bool HoverFeedback::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        ShowHoverPointer(std::ranges::find(areas_.buttons, watched) != areas_.buttons.end());
    return false;
}

void HoverFeedback::ShowHoverPointer(bool hand)
{
    if (busy_.IsBusy())
        return;
    if (hand)
        areas_.window->setCursor(hand_);
    else
        areas_.window->unsetCursor();
}

// Controls with a pointer of their own would hide the window's wait cursor; they take it while busy.
void HoverFeedback::FollowBusyState(bool busy)
{
    if (busy) {
        areas_.folderBox->setCursor(Qt::WaitCursor);
        areas_.listArea->setCursor(Qt::WaitCursor);
    } else {
        areas_.folderBox->setCursor(Qt::IBeamCursor);
        areas_.listArea->unsetCursor();
    }
}
