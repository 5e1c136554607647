// A small Qt program of the tests' own whose menus and controls the menu
// and interface actions drive through AT-SPI: it tells on stdout what
// happened to them, one line each ("triggered Save", "clicked", "text hi",
// "bold 1", "large 1", "value 30" as the slider moves, "slider 80" when
// its knob is let go), and "ready" once its window shows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <cstdio>

namespace {

void tell(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Accessible test app");

    QMenu* file = window.menuBar()->addMenu("File");
    for (const char* title : {"New", "Save"})
        QObject::connect(file->addAction(title), &QAction::triggered, [title] { tell(QStringLiteral("triggered %1").arg(title)); });
    QAction* print = file->addAction("Print");
    print->setEnabled(false);
    QObject::connect(print, &QAction::triggered, [] { tell("triggered Print"); });
    QMenu* exportMenu = file->addMenu("Export");
    QObject::connect(exportMenu->addAction("PDF"), &QAction::triggered, [] { tell("triggered PDF"); });

    auto* central = new QWidget(&window);
    auto* form = new QFormLayout(central);
    auto* button = new QPushButton("Press Me", central);
    QObject::connect(button, &QPushButton::clicked, [] { tell("clicked"); });
    form->addRow(button);
    auto* field = new QLineEdit("old text", central);
    field->setAccessibleName("Name");
    QObject::connect(field, &QLineEdit::editingFinished, [field] { tell("text " + field->text()); });
    QObject::connect(field, &QLineEdit::textChanged, [](const QString& text) { tell("typed " + text); });
    form->addRow("Name", field);
    auto* bold = new QCheckBox("Bold", central);
    QObject::connect(bold, &QCheckBox::toggled, [](bool on) { tell(QStringLiteral("bold %1").arg(on ? 1 : 0)); });
    form->addRow(bold);
    auto* small = new QRadioButton("Small", central);
    small->setChecked(true);
    auto* large = new QRadioButton("Large", central);
    QObject::connect(large, &QRadioButton::toggled, [](bool on) { tell(QStringLiteral("large %1").arg(on ? 1 : 0)); });
    form->addRow(small);
    form->addRow(large);
    auto* slider = new QSlider(Qt::Horizontal, central);
    slider->setRange(0, 100);
    slider->setValue(20);
    slider->setAccessibleName("Level");
    QObject::connect(slider, &QSlider::valueChanged, [](int value) { tell(QStringLiteral("value %1").arg(value)); });
    QObject::connect(slider, &QSlider::sliderReleased, [slider] { tell(QStringLiteral("slider %1").arg(slider->value())); });
    form->addRow("Level", slider);
    window.setCentralWidget(central);
    window.resize(420, 320);
    window.move(40, 40);
    window.show();
    QTimer::singleShot(0, [] { tell("ready"); });
    return app.exec();
}
