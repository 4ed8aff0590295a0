#pragma once
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

#include <optional>

#include "Form1State.h"
#include "GlobalParam.h"
#include "Services.h"

class DisplayWidget;
class QAction;

// The main window: shows one image of the open folder and sends it to a slot's folder at one
// key press. Takes the platform services and the program's directory from its creator.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // `commandLine` is the command-line text after the program's name (may be empty).
    Form1(const Services& services, const QString& programDir, const QString& commandLine,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence: working directory, library, settings, environment, command-line
    // target, status bar, page overview. Run once, before the window is shown.
    void Form_Load();
    // Shows the window in the state the saved placement asks for.
    void ShowAsPlaced();

    void InitEnvironment();
    void OpenCommandLineTarget();
    void UpdateStatusBar();
    void ShowPageOverview();

    Form1State& state() { return state_; }
    const Form1State& state() const { return state_; }
    QLabel* Bar() const { return bar_; }
    QPlainTextEdit* Text1() const { return text1_; }
    DisplayWidget* display() const { return display_; }
    const QString& programDir() const { return programDir_; }

    // The placement saved in option file 0: the restored rectangle and the show state.
    GlobalParam::WindowPlacement CurrentPlacement() const;
    void ApplyPlacement(const GlobalParam::WindowPlacement& placement);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildWidgets();
    void BuildMenus();
    void Form_Unload();
    void Form_Resize();
    void m_usage();
    void m_version();

    Services services_;
    QString programDir_;
    QString commandLine_;
    Form1State state_;

    QPlainTextEdit* text1_ = nullptr;
    DisplayWidget* display_ = nullptr;
    QLabel* bar_ = nullptr;
    QAction* m_Quit_ = nullptr;

    bool startMaximized_ = false;
    bool unloaded_ = false;
};
