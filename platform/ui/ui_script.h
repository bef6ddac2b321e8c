// The scripted user: a small text of actions, one a line, played into the
// dialogs a program opens, as a person at the screen would. A test or a
// program's --ui-script option loads it and installs it as the process's dialog
// and message-box handler.
//
//   # a comment (a "#" before a digit is an entry's index); texts are
//   # "quoted" (\" inside), UTF-8, and reach the controls in the process's
//   # code page
//   dialog "Caption"                  the open dialog must have this caption
//   page "Title"                      choose a sheet's tab or an entry of a page list
//   click <control>                   press a button (or click any control)
//   type <control> "text" [replace]   focus it and type, key by key ("replace"
//                                     empties it first); a typing limit applies
//   clear <control>                   empty an edit with Backspace
//   pick <control> "text" | #index    choose a list or combo entry
//   check <control> on|off            set a check box (or choose a radio button)
//   key <key> ...                     Tab, Shift+Tab, Enter, Escape, Space, Up,
//                                     Down, Left, Right, Home, End, F1, Alt+<letter>
//   ok | cancel | apply               the dialog's own buttons
//   answer yes|no|ok|cancel           how the next message box is answered
//   menu "text"                       the item chosen in the next pop-up menu
//   png "FILE"                        a picture of the open dialog
//   wait <seconds>                    let time pass until the dialog ends
//                                     (timers and network answers run)
//   expect <control> enabled|disabled|checked|unchecked|visible|hidden|focused
//   expect <control> text "..." | selected "..."
//
// A control is named by its id or by its text ("&OK" or "OK"); a label's text
// names the control after it. An action that opens a modal dialog goes on with
// the next line inside it, and when that dialog ends the outer one follows:
// one cursor through the whole script. A fault stops the script with
// "FILE:LINE: what", and every dialog still open is cancelled.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform::ui {

class UiScript {
 public:
  UiScript();
  ~UiScript();
  UiScript(const UiScript&) = delete;
  UiScript& operator=(const UiScript&) = delete;

  // `name` starts every message about the script. False (with error()) when
  // a line cannot be read.
  bool Load(const std::string& name, const std::string& utf8Text);
  bool LoadFile(const std::string& hostPath);

  // Becomes (and stops being) the process's dialog and message-box handler.
  void Install();
  void Uninstall();

  // Once the program is done with its dialogs: lines no dialog ever took are
  // a fault too.
  void Finish();

  bool failed() const;
  const std::string& error() const;
  // Messages of the boxes shown while the script played ("caption: text").
  const std::vector<std::string>& boxes() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform::ui
