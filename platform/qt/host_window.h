#pragma once
// The Qt main window: a fixed client area that shows the framebuffer, the menu bar built from
// the menu model, the four child windows, and the services worker code asks of the window.

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSlider>
#include <QWidget>
#include <array>
#include <functional>

#include "platform/draw_surface.h"
#include "platform/menu_model.h"
#include "platform/mouse_event.h"
#include "platform/qt/framebuffer.h"
#include "platform/qt/repaint_scheduler.h"
#include "platform/window_services.h"

class QAction;
class QMenu;

namespace tarvisk {

// Shows the framebuffer; forwards mouse and keyboard input as plain values.
class FramebufferView : public QWidget {
    Q_OBJECT
  public:
    FramebufferView(Framebuffer& framebuffer, QWidget* parent);
    std::function<void(MouseEventKind, Point)> onMouse;
    std::function<void()> onLeave;   // the pointer has left the window's client area
    Rect imageArea{2, 2, 598, 508};  // where the image cursor applies
    void SetImageCursor(const QCursor& cursor) { imageCursor_ = cursor; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Framebuffer& framebuffer_;
    QCursor imageCursor_;
};

class HostWindow : public QMainWindow, public WindowServices {
    Q_OBJECT
  public:
    HostWindow(Framebuffer& framebuffer, MenuModel& menu);
    ~HostWindow() override;

    std::function<void(int32_t)> onCommand;
    std::function<void()> onCloseRequest;  // the window closes only through Destroy()
    std::function<void(bool minimized)> onMinimizedChanged;
    std::function<void(int key, bool down, bool autoRepeat)> onKey;
    std::function<void(char32_t)> onChar;
    std::function<void()> onMenuInit;  // a menu of the bar is about to open
    // A file dialog returned this path (any thread; set once at start-up).
    std::function<void(const std::string&)> onFileChosen;
    std::function<void(MouseEventKind, Point)>& onMouse() { return view_->onMouse; }

    FramebufferView* View() const { return view_; }

    // Runs on the window thread at the start of every frame, before the changed area of the
    // framebuffer goes to the screen (the drawing that worker threads only recorded).
    std::function<void()> beforeFrame;
    // Any thread: something changed; a frame follows within one display frame.
    void RequestFrame() { scheduler_.Notify(); }
    // Window thread: the frame now, so a capture or a test sees everything drawn so far.
    void FlushFrame() { scheduler_.FlushNow(); }
    const RepaintScheduler& Scheduler() const { return scheduler_; }
    QWidget* ChildWidget(ChildWindowId id) const { return children_[static_cast<size_t>(id)]; }
    QAction* Action(int32_t id) const;

    // Closes the window for real, after the command layer has done its closing work.
    void Destroy();

    // The playback position slider over the panel (0..100, page 10, ticks every 10).
    void CreatePlaybackSlider(std::function<void(int32_t)> onMoved);
    void DestroyPlaybackSlider();
    QSlider* PlaybackSlider() const { return slider_; }

    // The whole window as the capture sees it: a caption strip, the menu bar, the client area.
    QImage GrabWindow();
    int32_t CaptionHeight() const { return 22; }

    // WindowServices
    void ShowMessage(std::string_view title, std::string_view text, MessageKind kind) override;
    std::string AskSaveFileName(const FileDialogParams& request) override;
    std::string AskOpenFileName(const FileDialogParams& request) override;
    void ShowChild(ChildWindowId id) override;
    void HideChild(ChildWindowId id) override;
    bool IsChildShown(ChildWindowId id) const override;
    void SetTitle(std::string_view title) override;
    void SetBusyCursor(bool busy) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    void BuildMenus(QWidget* parent, const std::vector<MenuItemSpec>& items, bool topLevel);
    void UpdateAction(int32_t id);
    template <typename F>
    void OnUiThread(F&& f) const;

    Framebuffer& framebuffer_;
    MenuModel& menu_;
    FramebufferView* view_ = nullptr;
    RepaintScheduler scheduler_;
    std::map<int32_t, QAction*> actions_;
    std::array<QWidget*, ChildWindowCount> children_{};
    QPointer<QSlider> slider_;
    bool closing_ = false;
    bool busy_ = false;
};

}  // namespace tarvisk
