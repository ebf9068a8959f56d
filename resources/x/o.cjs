/* Stillpress skin: a light, flat look with one blue accent. A Qt style sheet; fonts stay as the
   window sets them, and no rule changes a control's place or size. The slider keeps the platform's
   look so that its tick marks stay visible. */

QWidget#Form1 {
    background: #f3f5f9;
}

QGroupBox {
    background: #ffffff;
    border: 1px solid #d5dbe5;
    border-radius: 6px;
    margin-top: 7px;
    color: #1f2a3d;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 4px;
    background: #f3f5f9;
    color: #2a5bd7;
}

QPushButton {
    background: #2f6fed;
    color: #ffffff;
    border: 1px solid #255bc6;
    border-radius: 5px;
    padding: 0 8px;
}

QPushButton:hover {
    background: #3f7cf4;
}

QPushButton:pressed {
    background: #2456bd;
}

QPushButton:focus {
    border: 1px solid #10316f;
}

QPushButton:disabled {
    background: #b9c6de;
    border-color: #b9c6de;
}

QPushButton#PushButton2 {
    background: #18a058;
    border-color: #138246;
}

QPushButton#PushButton2:hover {
    background: #1fb465;
}

QPushButton#PushButton2:pressed {
    background: #11733e;
}

QTreeWidget {
    background: #ffffff;
    alternate-background-color: #f7f9fc;
    border: 1px solid #cfd6e2;
    border-radius: 4px;
    selection-background-color: #2f6fed;
    selection-color: #ffffff;
    color: #1f2a3d;
}

QHeaderView::section {
    background: #e9eef7;
    color: #1f2a3d;
    border: none;
    border-right: 1px solid #d5dbe5;
    border-bottom: 1px solid #cfd6e2;
    padding: 2px 6px;
}

QComboBox, QLineEdit {
    background: #ffffff;
    border: 1px solid #c3cbd9;
    border-radius: 4px;
    padding: 0 6px;
    color: #1f2a3d;
    selection-background-color: #2f6fed;
}

QComboBox:focus, QLineEdit:focus {
    border: 1px solid #2f6fed;
}

QComboBox::drop-down {
    subcontrol-origin: padding;
    subcontrol-position: center right;
    width: 20px;
    border: none;
    border-left: 1px solid #dfe5ef;
}

QComboBox::down-arrow {
    image: url(:/stillpress/down-arrow.png);  /* built into the program */
}

QComboBox QAbstractItemView {
    background: #ffffff;
    border: 1px solid #c3cbd9;
    selection-background-color: #2f6fed;
    selection-color: #ffffff;
}

QRadioButton {
    background: transparent;
    color: #1f2a3d;
    spacing: 4px;
}

QRadioButton::indicator {
    width: 11px;
    height: 11px;
    border: 1px solid #8a96ab;
    border-radius: 6px;
    background: #ffffff;
}

QRadioButton::indicator:hover {
    border-color: #2f6fed;
}

QRadioButton::indicator:checked {
    border-color: #2f6fed;
    background: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5,
                                stop: 0 #2f6fed, stop: 0.5 #2f6fed, stop: 0.6 #ffffff, stop: 1 #ffffff);
}

QProgressBar {
    background: #e6ebf3;
    border: 1px solid #cfd6e2;
    border-radius: 5px;
    color: #1f2a3d;
    text-align: center;
}

QProgressBar::chunk {
    background: #7fb0ff;
    border-radius: 4px;
}

QToolTip {
    background: #1f2a3d;
    color: #ffffff;
    border: none;
    padding: 4px;
}
