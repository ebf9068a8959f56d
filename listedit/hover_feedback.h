#pragma once

#include <QCursor>
#include <QObject>

#include <vector>

class BusyState;
class QWidget;

// The window-wide pointer that follows the mouse: the hand over the push buttons, the default over
// the window's background, its frames, the output-folder box and the list. Controls without a rule
// leave it as it was. While the window is busy the wait pointer stays everywhere, also over the
// controls that otherwise show a pointer of their own.
class HoverFeedback : public QObject {
    Q_OBJECT
public:
    // What the feedback touches of the window.
    struct Areas {
        QWidget* window = nullptr;            // whose pointer is set
        std::vector<QWidget*> buttons;        // the hand
        std::vector<QWidget*> plain;          // the default pointer
        std::vector<QWidget*> withoutRule;    // leave the pointer as it was
        QWidget* folderBox = nullptr;         // shows its text pointer when not busy
        QWidget* listArea = nullptr;          // shows the list's own pointer when not busy
    };

    // `hand` is read at each move over a button, since start-up loads it after the parts are made.
    HoverFeedback(Areas areas, const BusyState& busy, const QCursor& hand);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowHoverPointer(bool hand);
    void FollowBusyState(bool busy);

    Areas areas_;
    const BusyState& busy_;
    const QCursor& hand_;
};
