#include "listedit/list_editing.h"

#include "listedit/drag_pointer.h"
#include "listedit/hover_feedback.h"
#include "listedit/list_filling.h"
#include "listedit/list_removal.h"
#include "listedit/sample_videos.h"
#include "window/form1.h"

void AttachListEditing(Form1& form, const Form1Environment& environment)
{
    new ListFilling(form);
    new ListRemoval(form);
    new DragPointer(form, environment.programFolder);
    new HoverFeedback(form);
    QObject::connect(form.Controls().PushButton5, &QPushButton::clicked, &form,
        [&form, openFolder = environment.openFolder] { PushButton5_Click(form, openFolder); });
}
