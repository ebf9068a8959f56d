#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

class Form1;

// Moving an entry by dragging it inside the list: as the pointer passes over another entry, the
// carried entry and that entry swap texts, so the carried path travels one place per entry passed
// and the entry under the pointer becomes the selected one. Near the list's top or bottom edge the
// list scrolls one entry further. Allowed while the window is busy: entries are only ever swapped,
// and the run reads each entry's text when it reaches it.
class ListReorder : public QObject {
    Q_OBJECT
public:
    ListReorder(Form1& form, QString programFolder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Press(QPoint position);
    void Carry(QPoint position);
    void Release();
    void ScrollNearEdge(int hoverRow, int pointerY);

    Form1& form_;
    QString programFolder_;
    bool listMouseDown_ = false;
    QPersistentModelIndex draggedEntry_;  // becomes invalid when its entry is removed
};
