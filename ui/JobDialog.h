// What every job's progress dialog does the same way: its bar, its animation and its Cancel
// button serve the job's view; the pump routes Enter to the job; Cancel and the close box go to
// the job, which asks or stops; message boxes are owned by the dialog. The cleaning and the zap
// dialogs add their own lines of text.
#pragma once

#include "engine/JobControl.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/MessagePump.h"

#include <string>

namespace bw::ui {

template <class View> class CJobDialog : public CDialog, protected View {
protected:
  struct Controls {
    int Progress;
    int Animation;
    int Cancel;
    UINT RunMessage; ///< the private message whose handler is the job
  };
  explicit CJobDialog(Controls controls) : _controls(controls) {}

  /// The job the dialog runs, and running it (once, from the run message).
  virtual IJobControl& Job() = 0;
  virtual void RunJob() = 0;

  /// For OnInit: the animation opened, the bar at 0 of 100.
  void InitControls(HINSTANCE instance, int animation) {
    CAnimate(Item(_controls.Animation)).Open(instance, animation);
    CProgressBar progress(Item(_controls.Progress));
    progress.SetRange(0, 100);
    progress.SetPos(0);
  }

  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SHOWWINDOW) {
      // Another window may still hold the foreground while this one is made.
      if (wParam)
        BringToFront();
      Post(_controls.RunMessage);
      return FALSE;
    }
    if (message == _controls.RunMessage) {
      // Every showing posts the request; the job runs once, not again inside itself when the
      // window is hidden and shown while it works.
      if (!_started) {
        _started = true;
        RunJob();
      }
      return TRUE;
    }
    return CDialog::OnMessage(message, wParam, lParam);
  }

  bool OnCommand(int notifyCode, int id, HWND control) override {
    // Enter through the dialog manager presses Cancel too: it is the only button.
    if ((id == _controls.Cancel && notifyCode == BN_CLICKED) || id == IDOK) {
      Job().OnCancel();
      return true;
    }
    return CDialog::OnCommand(notifyCode, id, control);
  }
  void OnCancel() override { Job().OnCancel(); }
  void OnClose() override { Job().OnClose(); }

  void SetProgress(int percent) override { CProgressBar(Item(_controls.Progress)).SetPos(percent); }
  void StartAnimation() override { CAnimate(Item(_controls.Animation)).Play(); }
  void StopAnimation() override { CAnimate(Item(_controls.Animation)).Stop(); }
  void EnableCancel(bool enabled) override { Item(_controls.Cancel).Enable(enabled); }
  void PumpMessage() override { PumpOneMessage(&Job()); }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    return ::MessageBoxA(Handle(), text.c_str(), caption.c_str(), style);
  }

private:
  Controls _controls;
  bool _started = false;
};

} // namespace bw::ui
