#include "window_test_support.h"

#include "window/file_list_widget.h"
#include "window/text_progress_bar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace {

template <class Control>
Control* Find(const Form1& form, const QString& name)
{
    auto* control = form.findChild<Control*>(name);
    if (!control)
        qFatal("the window has no %s", qPrintable(name));
    return control;
}

QSettings StoreView()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quendrel"), QStringLiteral("Stillpress Software"));
}

}  // namespace

ThrowAwaySettings::ThrowAwaySettings()
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
}

QVariant ThrowAwaySettings::Value(const QString& key) const
{
    return StoreView().value(key);
}

bool ThrowAwaySettings::Contains(const QString& key) const
{
    return StoreView().contains(key);
}

void ThrowAwaySettings::Put(const QString& key, const QString& value)
{
    QSettings view = StoreView();
    view.setValue(key, value);
    view.sync();
}

QStringList ThrowAwaySettings::Keys() const
{
    return StoreView().allKeys();
}

ModalAnswerer::ModalAnswerer()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    timer_.start();
}

void ModalAnswerer::Queue(Answer answer)
{
    answers_.push_back(std::move(answer));
}

bool ModalAnswerer::WaitUntilAnswered(int timeoutMs)
{
    return QTest::qWaitFor([this] { return answers_.empty(); }, timeoutMs);
}

void ModalAnswerer::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (const auto answered = answeredAt_.constFind(modal); answered != answeredAt_.cend()) {
        if (answered->hasExpired(5000)) {
            unexpected_ << QStringLiteral("still open after its answer: ") + modal->metaObject()->className() + QStringLiteral(": ") + modal->windowTitle();
            answeredAt_[modal].restart();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        }
        return;
    }
    answeredAt_[modal].start();
    connect(modal, &QObject::destroyed, this, [this, modal] { answeredAt_.remove(modal); });
    if (answers_.empty()) {
        unexpected_ << modal->metaObject()->className() + QStringLiteral(": ") + modal->windowTitle();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        return;
    }
    // Given from an event of its own, not from the timer's: an answer that opens a dialog in turn (a file
    // dialog refusing a name) leaves the timer free to see that one.
    QTimer::singleShot(0, this, [answer = std::move(answers_.front()), target = QPointer<QWidget>(modal)] {
        if (target)
            answer(target);
    });
    answers_.pop_front();
}

ModalAnswerer::Answer ModalAnswerer::ClickOk()
{
    return Ok(false);
}

ModalAnswerer::Answer ModalAnswerer::TickAndClickOk()
{
    return Ok(true);
}

ModalAnswerer::Answer ModalAnswerer::Ok(bool tick)
{
    return [this, tick](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box) {
            unexpected_ << QStringLiteral("not a message box: ") + dialog->metaObject()->className();
            if (auto* other = qobject_cast<QDialog*>(dialog))
                other->reject();
            return;
        }
        QCheckBox* check = box->checkBox();
        messageBoxes_.push_back({box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size()),
            check ? check->text() : QString()});
        if (tick) {
            if (!check)
                unexpected_ << QStringLiteral("no check box to tick: ") + box->text();
            else
                check->click();
        }
        box->button(QMessageBox::Ok)->click();
    };
}

ModalAnswerer::Answer ModalAnswerer::PickFiles(const QString& folder, const QStringList& names)
{
    return [folder, names](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        files->setDirectory(folder);
        QStringList quoted;
        for (const QString& name : names)
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        // Typed into the name field: selectFile leaves the field alone once it has the focus, and the
        // dialog would then refuse to close.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(names.size() == 1 ? names.front() : quoted.join(QLatin1Char(' ')));
        static_cast<QDialog*>(files)->accept();  // dispatches to the file dialog's own accept
    };
}

ModalAnswerer::Answer ModalAnswerer::PickFolder(const QString& folder)
{
    return [folder](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        files->setDirectory(folder);
        static_cast<QDialog*>(files)->accept();  // dispatches to the file dialog's own accept
    };
}

ModalAnswerer::Answer ModalAnswerer::Cancel()
{
    return [](QWidget* dialog) {
        if (auto* modal = qobject_cast<QDialog*>(dialog))
            modal->reject();
    };
}

Form1Controls ControlsOf(const Form1& form)
{
    Form1Controls c;
    c.ListView1 = Find<FileListWidget>(form, "ListView1");
    c.PushButton1 = Find<QPushButton>(form, "PushButton1");
    c.PushButton2 = Find<QPushButton>(form, "PushButton2");
    c.PushButton3 = Find<QPushButton>(form, "PushButton3");
    c.PushButton4 = Find<QPushButton>(form, "PushButton4");
    c.PushButton5 = Find<QPushButton>(form, "PushButton5");
    c.PushButton7 = Find<QPushButton>(form, "PushButton7");
    c.Frame1 = Find<QGroupBox>(form, "Frame1");
    c.Frame2 = Find<QGroupBox>(form, "Frame2");
    c.Frame3 = Find<QGroupBox>(form, "Frame3");
    c.Frame4 = Find<QGroupBox>(form, "Frame4");
    c.Frame5 = Find<QGroupBox>(form, "Frame5");
    c.Label3 = Find<QLabel>(form, "Label3");
    c.Text5 = Find<QLineEdit>(form, "Text5");
    c.Label4 = Find<QLabel>(form, "Label4");
    c.Text6 = Find<QLineEdit>(form, "Text6");
    c.Check1 = Find<QCheckBox>(form, "Check1");
    c.Check2 = Find<QCheckBox>(form, "Check2");
    c.Check3 = Find<QCheckBox>(form, "Check3");
    c.Check4 = Find<QCheckBox>(form, "Check4");
    c.Check5 = Find<QCheckBox>(form, "Check5");
    c.Combo1 = Find<QComboBox>(form, "Combo1");
    c.Combo2 = Find<QComboBox>(form, "Combo2");
    c.Text2 = Find<QLineEdit>(form, "Text2");
    c.Label1 = Find<QLabel>(form, "Label1");
    c.Text3 = Find<QLineEdit>(form, "Text3");
    c.Label2 = Find<QLabel>(form, "Label2");
    c.Text4 = Find<QLineEdit>(form, "Text4");
    for (int number = 1; number <= 7; ++number)
        c.Option.at(std::size_t(number - 1)) = Find<QRadioButton>(form, QStringLiteral("Option%1").arg(number));
    c.OptionGroup = Find<QButtonGroup>(form, "OptionGroup");
    c.Slider1 = Find<QSlider>(form, "Slider1");
    c.Text1 = Find<QLineEdit>(form, "Text1");
    c.ProgressBar1 = Find<TextProgressBar>(form, "ProgressBar1");
    c.ProgressBar2 = Find<TextProgressBar>(form, "ProgressBar2");
    c.Creator = Find<QLabel>(form, "Creator");
    return c;
}

Form1Environment QuietEnvironment(const QString& programFolder)
{
    Form1Environment environment;
    environment.programFolder = programFolder;
    environment.drawOneToHundred = [] { return 1; };
    environment.openHomePage = [](const QUrl&) {};
    return environment;
}

Form1& WindowBench::OpenWindow()
{
    window_ = std::make_unique<Form1>(QuietEnvironment(programFolder.path()));
    window_->Form_Load();
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
        qWarning("the window was not shown");
    return *window_;
}

QString ResourcesFolder()
{
    return QStringLiteral(STILLPRESS_RESOURCES_DIR);
}

QStringList FilesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

QStringList NumberedNames(const QString& stem, int count, const QString& extension)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << stem + QLatin1Char('_') + QString::number(i) + QLatin1Char('.') + extension;
    names.sort();
    return names;
}

void ConversionWindowTest::OpenBench()
{
    bench_.emplace();
    QVERIFY(bench_->programFolder.isValid());
    QVERIFY(work_.emplace().isValid());
    QVERIFY(QDir(work_->path()).mkdir(QStringLiteral("videos")));
    QVERIFY(QDir(work_->path()).mkdir(QStringLiteral("frames")));
    form_ = &bench_->OpenWindow();
}

void ConversionWindowTest::CloseBench()
{
    QVERIFY2(bench_->UnexpectedDialogs().isEmpty(), qPrintable(bench_->UnexpectedDialogs()));
    form_ = nullptr;
    bench_.reset();
    work_.reset();
}

void ConversionWindowTest::ListVideos(const QStringList& videos, int format)
{
    const Form1Controls& c = ControlsOf(*form_);
    for (const QString& video : videos)
        c.ListView1->Append(QDir::toNativeSeparators(video));
    c.Text1->setText(Frames());
    QTest::mouseClick(c.OptionButton(format), Qt::LeftButton);
}

void ConversionWindowTest::ExpectStartRefused(const QString& message)
{
    bench_->answerer.Queue(bench_->answerer.ClickOk());
    QTest::mouseClick(ControlsOf(*form_).PushButton2, Qt::LeftButton);
    QVERIFY(bench_->answerer.WaitUntilAnswered());
    QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
    QCOMPARE(bench_->answerer.MessageBoxes().front().text, message);
    QVERIFY(!form_->IsConverting());
    QVERIFY(FilesIn(Frames()).isEmpty());
}
