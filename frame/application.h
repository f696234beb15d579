// The application object: one per program, built before the program's entry runs. Its instance
// initialisation does the program's whole job.
#pragma once

#include "platform.h"

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The one application object of the program, or none.
  static Application* Current();

  // Runs once at start and does the program's whole job. The program then ends, whatever the
  // result: none of the kit's programs keeps a window open after its job, so there is no message
  // loop to enter.
  virtual bool InitInstance() = 0;

  // The standard Help command, and its default handler. The kit ships no help file, so it opens
  // nothing, as a program without one does.
  static constexpr WORD kHelpCommand = 57670;
  virtual void OnHelp() {}

  // The request for three-dimensional controls that programs of the NT 4 era made first: every
  // supported Windows draws them so already, so it asks for nothing.
  void Enable3dControls() {}

  HINSTANCE Instance() const { return instance_; }
  // The owner of pages and message boxes that are given none.
  HWND MainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  // The executable's file name without its extension.
  const char* Title() const { return title_; }

  // Called by the program's entry point.
  int Run(HINSTANCE instance);

 private:
  HINSTANCE instance_ = nullptr;
  HWND mainWindow_ = nullptr;
  char title_[kTextCapacity] = {};
};
