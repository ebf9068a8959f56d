#pragma once

class Form1;
struct Form1Environment;

// Attaches to the window everything that fills and edits its list beyond the add-files dialog:
// the folder command and drops, removal and clearing, reordering, the samples button and the
// hover pointer. The parts belong to the window.
void AttachListEditing(Form1& form, const Form1Environment& environment);
