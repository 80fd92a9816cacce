#pragma once
// Message maps: a static table per dialog class from a window message (and, for WM_COMMAND, a
// notification code and control id) to a member handler. A class's table is searched first, then
// its base's, so a derived class overrides its base's entries.
//
//   class MyDlg : public Dialog {
//     ...
//    private:
//     void OnBrowse();
//     HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);
//     DECLARE_MESSAGE_MAP()
//   };
//
//   BEGIN_MESSAGE_MAP(MyDlg, Dialog)
//     ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
//     ON_WM_CTLCOLOR()
//   END_MESSAGE_MAP()
//
// Handler kinds (fixed names for the window messages):
//   ON_BN_CLICKED / ON_EN_CHANGE / ON_CBN_SELCHANGE / ON_CONTROL(code, id, fn)   void fn()
//   ON_WM_PAINT()          void OnPaint()             (Dialog::OnPaint is the default painting)
//   ON_WM_QUERYDRAGICON()  HCURSOR OnQueryDragIcon()
//   ON_WM_CTLCOLOR()       HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType)
//                          controlType is CTLCOLOR_EDIT, CTLCOLOR_STATIC, ... (Dialog::OnCtlColor is
//                          the default colours; a null brush leaves the message to the system)
//   ON_MESSAGE(msg, fn)    LRESULT fn(WPARAM, LPARAM)  (the result goes to DWLP_MSGRESULT)
// The macros refer to the handlers through the class, so handlers may be private.
// DECLARE_MESSAGE_MAP() leaves the class in private access: put it last in the class.
#include <windows.h>

class Dialog;

struct MessageArgs {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Calls the handler and returns what the dialog procedure must return for the message.
using MessageThunk = INT_PTR (*)(Dialog &self, const MessageArgs &args);

struct MessageEntry {
  UINT messageFirst;  // the messages handled: messageFirst..messageLast
  UINT messageLast;
  UINT code;          // WM_COMMAND: notification code (HIWORD of wParam)
  UINT id;            // WM_COMMAND: control id (LOWORD of wParam)
  MessageThunk thunk; // nullptr ends a table
};

struct MessageMap {
  const MessageMap *(*base)();  // the base class's map, nullptr for the root
  const MessageEntry *entries;

  // The entry for a message in this map or its bases, nullptr when none.
  const MessageEntry *find(const MessageArgs &args) const;
};

#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const ::MessageMap *ThisMessageMap();      \
  const ::MessageMap *messageMap() const override;  \
                                                    \
 private:

#define BEGIN_MESSAGE_MAP(Class, Base)                                            \
  const ::MessageMap *Class::messageMap() const { return Class::ThisMessageMap(); } \
  const ::MessageMap *Class::ThisMessageMap() {                                   \
    using ThisClass = Class;                                                      \
    static const ::MessageMap *(*const baseMap)() = &Base::ThisMessageMap;       \
    static const ::MessageEntry entries[] = {

#define END_MESSAGE_MAP()           \
  {0, 0, 0, 0, nullptr}};           \
    static const ::MessageMap map = {baseMap, entries}; \
    return &map;                    \
  }

#define ON_CONTROL(notifyCode, controlId, fn)                                               \
  {WM_COMMAND, WM_COMMAND, static_cast<UINT>(notifyCode), static_cast<UINT>(controlId),    \
   [](::Dialog &self, const ::MessageArgs &) -> INT_PTR {                                   \
     static_cast<ThisClass &>(self).fn();                                                   \
     return TRUE;                                                                           \
   }},

#define ON_BN_CLICKED(controlId, fn) ON_CONTROL(BN_CLICKED, controlId, fn)
#define ON_EN_CHANGE(controlId, fn) ON_CONTROL(EN_CHANGE, controlId, fn)
#define ON_CBN_SELCHANGE(controlId, fn) ON_CONTROL(CBN_SELCHANGE, controlId, fn)

#define ON_WM_PAINT()                                       \
  {WM_PAINT, WM_PAINT, 0, 0,                                \
   [](::Dialog &self, const ::MessageArgs &) -> INT_PTR {   \
     static_cast<ThisClass &>(self).OnPaint();              \
     return TRUE;                                           \
   }},

#define ON_WM_QUERYDRAGICON()                                                      \
  {WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, 0,                                       \
   [](::Dialog &self, const ::MessageArgs &) -> INT_PTR {                          \
     return reinterpret_cast<INT_PTR>(static_cast<ThisClass &>(self).OnQueryDragIcon()); \
   }},

#define ON_WM_CTLCOLOR()                                                              \
  {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0,                                        \
   [](::Dialog &self, const ::MessageArgs &args) -> INT_PTR {                         \
     return reinterpret_cast<INT_PTR>(static_cast<ThisClass &>(self).OnCtlColor(      \
         reinterpret_cast<HDC>(args.wParam), reinterpret_cast<HWND>(args.lParam),     \
         args.message - WM_CTLCOLORMSGBOX));                                          \
   }},

#define ON_MESSAGE(msg, fn)                                                           \
  {static_cast<UINT>(msg), static_cast<UINT>(msg), 0, 0,                              \
   [](::Dialog &self, const ::MessageArgs &args) -> INT_PTR {                         \
     LRESULT result = static_cast<ThisClass &>(self).fn(args.wParam, args.lParam);    \
     ::SetWindowLongPtrA(self.hwnd(), DWLP_MSGRESULT, static_cast<LONG_PTR>(result)); \
     return TRUE;                                                                     \
   }},
