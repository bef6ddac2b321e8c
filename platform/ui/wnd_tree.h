// Inside the window tree: the record of each window and the procedures of the
// standard classes (one file each), shared by the files of the dialog layer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/user.h"

namespace platform::ui {

struct Node {
  HWND parent = 0;
  HWND owner = 0;              // a top-level window's owner (the window it was created for)
  std::vector<HWND> children;  // in creation (tab) order
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // in the parent's client coordinates
  std::string className;
  HFONT font = 0;
  bool invalid = false;
  bool erase = false;
  std::shared_ptr<platform::gdi::PixelSurface> surface;
  int scrollMinimum = 0;
  int scrollMaximum = 0;
  int scrollPosition = 0;
};

// A copy of the window's record; false for no such window.
bool GetNode(HWND window, Node* out);
// Changes the record under the tree's lock; false for no such window.
bool UpdateNode(HWND window, void (*change)(Node&, const void*), const void* argument);
void SetNodeStyle(HWND window, DWORD style);

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The height of a drop-down combo box's field: the rest of its rectangle is
// the list it drops, which nobody sees while it is closed.
int ComboFieldHeight(HWND window);

}  // namespace platform::ui
