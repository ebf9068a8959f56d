#pragma once

#include <QObject>

class Form1;

// The window-wide pointer that follows the mouse: the hand over the push buttons, the default over
// the window's background, its frames, the output-folder box and the list. Controls without a rule
// leave it as it was. While the window is busy the wait cursor stays everywhere, also over the
// controls that otherwise show a pointer of their own.
class HoverFeedback : public QObject {
    Q_OBJECT
public:
    explicit HoverFeedback(Form1& form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowBusyState(bool busy);

    Form1& form_;
};

// The hover rule for one control: shows the hand or the default pointer on the window unless busy.
void ShowHoverPointer(Form1& form, bool hand);
