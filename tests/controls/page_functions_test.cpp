#include "controls/page_functions.h"

#include <cstring>
#include <fstream>

#include "controls/edits.h"
#include "controls/focus_relay.h"
#include "controls/model_picture.h"
#include "model/model_loader.h"
#include "model/model_record.h"
#include "platform/spooler/spooler.h"
#include "tests/controls/controls_fixture.h"
#include "tests/support/settings_library.h"
#include "tools/machinesetup/printer_install.h"

using controls::CMyDialog;

namespace {

using PageFunctionsTest = ControlsTest;

TEST_F(PageFunctionsTest, SelectComboByItemData) {
  CMyDialog host(205, nullptr);
  ASSERT_TRUE(host.Create(205, nullptr));
  HWND combo = ::GetDlgItem(host.m_hWnd, 60);
  for (int i = 0; i < 3; ++i) {
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("entry"));
    ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), 10 * (i + 1));
  }
  struct Case {
    DWORD_PTR value;
    BOOL found;
    int selected;
  };
  for (const Case& c : {Case{20, TRUE, 1}, Case{30, TRUE, 2}, Case{99, FALSE, 0}, Case{10, TRUE, 0}}) {
    ::SendMessageA(combo, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(controls::SelectComboByItemData(combo, c.value), c.found) << c.value;
    EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), c.selected) << c.value;
  }
  host.DestroyWindow();
}

TEST_F(PageFunctionsTest, MessageBoxFromStringIds) {
  std::string caption;
  platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& box) {
    caption = box.caption;
    boxes.push_back(box.text);
    return IDNO;
  });
  EXPECT_EQ(controls::MessageBoxFromIds(nullptr, 500, 501, MB_YESNO), IDNO);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Delete the watermark?");
  EXPECT_EQ(caption, "Watermarks");
}

// The hidden-control rows of the shipped monochrome model, as the loader reads them.
std::unique_ptr<ModelRecord> LoadShippedHiddenControls(testsupport::SettingsLibrary& db) {
  machinesetup::PrinterSpec spec;
  spec.printerName = "Mono Printer";
  spec.modelDescription = std::string(ZEL_SOURCE_DIR) + "/data/models/nardo-m3020.ini";
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  std::string error;
  EXPECT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  EXPECT_TRUE(db.Load(machinesetup::BuiltDriverFolder()));
  HANDLE printer = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string name = spec.printerName;
  EXPECT_TRUE(OpenPrinterA(name.data(), &printer, &defaults));
  auto record = std::make_unique<ModelRecord>();
  *record = ModelRecord{};
  EXPECT_EQ(LoadModelConfig(db.Functions(), printer, record.get(), kPartHiddenControls, 0, 0), 1);
  ClosePrinter(printer);
  return record;
}

TEST_F(PageFunctionsTest, HideModelControlsHidesTheLoadedRowsControlsOnTheirPage) {
  testsupport::SettingsLibrary db;
  std::unique_ptr<ModelRecord> model = LoadShippedHiddenControls(db);
  ASSERT_NE(model->hiddenControls[0].controlId, 0);

  // The separator page: its insert-from-tray controls go; the controls whose ids
  // equal the rows' own numbers and the page's other controls stay.
  CMyDialog page(206, nullptr);
  ASSERT_TRUE(page.Create(206, nullptr));
  controls::HideModelControls(&page, model.get());
  struct Case {
    int id;
    bool visible;
  };
  const Case cases[] = {{1321, false}, {1322, false}, {1347, false}, {1341, false}, {1618, false}, {1201, true},
                        {1202, true},  {1203, true},  {1204, true},  {1205, true},  {1319, true}};
  for (const Case& c : cases) {
    EXPECT_EQ((::GetWindowLongA(::GetDlgItem(page.m_hWnd, c.id), GWL_STYLE) & WS_VISIBLE) != 0, c.visible) << c.id;
  }
  page.DestroyWindow();

  // Another page keeps every control; no record hides nothing.
  CMyDialog other(205, nullptr);
  ASSERT_TRUE(other.Create(205, nullptr));
  controls::HideModelControls(&other, model.get());
  controls::HideModelControls(&other, nullptr);
  for (int id : {60, 61, 62, 63}) {
    EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(other.m_hWnd, id), GWL_STYLE) & WS_VISIBLE) << id;
  }
  other.DestroyWindow();
  db.Unload();
}

TEST_F(PageFunctionsTest, LimitedEditTakesFourDigitsAndCanBeCorrected) {
  CMyDialog host(205, nullptr);
  ASSERT_TRUE(host.Create(205, nullptr));
  controls::DP_CLimitedEdit edit;
  ASSERT_TRUE(edit.SubclassDlgItem(61, &host));
  for (char c : std::string("1a2 34-5")) edit.SendMessage(WM_CHAR, static_cast<WPARAM>(c), 1);
  EXPECT_EQ(edit.GetWindowText(), "1234");
  edit.SendMessage(WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(edit.GetWindowText(), "123");
  edit.SendMessage(WM_CHAR, '9', 1);
  EXPECT_EQ(edit.GetWindowText(), "1239");
  host.DestroyWindow();
}

TEST_F(PageFunctionsTest, AddressEditPassesCharactersWithoutABox) {
  CMyDialog host(205, nullptr);
  ASSERT_TRUE(host.Create(205, nullptr));
  controls::DP_CIPAddressEdit edit;
  ASSERT_TRUE(edit.SubclassDlgItem(61, &host));
  for (char c : std::string("10.0.0.1")) edit.SendMessage(WM_CHAR, static_cast<WPARAM>(c), 1);
  EXPECT_EQ(edit.GetWindowText(), "10.0.0.1");
  EXPECT_TRUE(boxes.empty());
  host.DestroyWindow();
}

TEST_F(PageFunctionsTest, SelfDestructBitmapButtonGoesWithItsWindow) {
  CMyDialog host(205, nullptr);
  ASSERT_TRUE(host.Create(205, nullptr));
  auto* button = controls::CreateSelfDestructBitmapButton(&host, 62, "UPARROW_U", "UPARROW_D", nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  EXPECT_NE(button->m_bitmapSel.m_hObject, 0u);
  EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(host.m_hWnd, 62)), button);
  EXPECT_EQ(controls::CreateSelfDestructBitmapButton(&host, 4242, "UPARROW_U", nullptr, nullptr, nullptr), nullptr);
  host.DestroyWindow();  // deletes the button (checked by the sanitiser build)
}

TEST_F(PageFunctionsTest, Utilities) {
  EXPECT_EQ(controls::IntegerText(-42), "-42");
  EXPECT_EQ(controls::LoadText(501), "Watermarks");
  EXPECT_EQ(controls::LoadText(9999), "");
  {
    std::ofstream file(Host("C:\\data.bin"), std::ios::binary);
    file << "12345";
  }
  EXPECT_EQ(controls::FileLength("C:\\data.bin"), 5u);
  EXPECT_EQ(controls::FileLength("C:\\missing.bin"), 0u);
  EXPECT_TRUE(controls::FileReadable("C:\\data.bin"));
  EXPECT_FALSE(controls::FileReadable("C:\\missing.bin"));

  std::vector<BYTE> bytes;
  CArchive out(&bytes, CArchive::store);
  controls::StoreWord(out, 0x1234);
  controls::StoreBool(out, 7);
  controls::StoreBool(out, FALSE);
  EXPECT_EQ(bytes, (std::vector<BYTE>{0x34, 0x12, 1, 0}));
  CArchive in(&bytes, CArchive::load);
  EXPECT_EQ(controls::LoadWord(in), 0x1234);
  EXPECT_TRUE(controls::LoadBool(in));
  EXPECT_FALSE(controls::LoadBool(in));
  EXPECT_THROW(controls::LoadBool(in), CArchiveException);

  auto surface = std::make_shared<platform::gdi::PixelSurface>(30, 20, 32);
  HDC hdc = platform::gdi::CreateSurfaceDC(surface, 0);
  int width = 0, height = 0;
  EXPECT_TRUE(controls::DrawBitmapResource(CDC::FromHandle(hdc), "LOGO", 5, 5, &width, &height));
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 10);
  EXPECT_EQ(surface->At(5, 5), RGB(0, 0, 255));
  EXPECT_EQ(surface->At(24, 14), RGB(0, 255, 0));
  EXPECT_FALSE(controls::DrawBitmapResource(CDC::FromHandle(hdc), "NOPE", 0, 0, &width, &height));
  DeleteDC(hdc);
}

// A frame with a page: the page's relay hands Tab back to the frame, the frame's
// relay into the page.
class Frame : public CMyDialog {
 public:
  Frame() : CMyDialog(200, nullptr) {}
  BOOL OnInitDialog() override {
    CMyDialog::OnInitDialog();
    relay.Create(this, nullptr);
    return TRUE;
  }
  controls::DP_CFocusDetectButton relay;
};

TEST_F(PageFunctionsTest, FocusRelayMovesTheFocusIntoTheTarget) {
  Frame frame;
  ASSERT_TRUE(frame.Create(200, nullptr));
  EXPECT_EQ(frame.relay.GetWindowText(), "DP_DONTFOCUS");
  EXPECT_EQ(frame.relay.GetDlgCtrlID(), 1000);
  CRect r;
  frame.relay.GetWindowRect(&r);
  frame.ScreenToClient(&r);
  EXPECT_EQ(r.left, 1000);
  EXPECT_EQ(r.Width(), 1);

  CDialog page;
  ASSERT_TRUE(page.Create(202, &frame));
  frame.relay.SetTarget(&page);
  frame.relay.SetFocus();
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page.m_hWnd, 31));
  // Controls hidden for the model or disabled are passed over.
  ::ShowWindow(::GetDlgItem(page.m_hWnd, 31), SW_HIDE);
  ::SetFocus(::GetDlgItem(frame.m_hWnd, 2));
  frame.relay.SetFocus();
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page.m_hWnd, 32));
  ::EnableWindow(::GetDlgItem(page.m_hWnd, 32), FALSE);
  ::SetFocus(::GetDlgItem(frame.m_hWnd, 2));
  frame.relay.SetFocus();
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(frame.m_hWnd, 11));

  // A target whose only tab stop is a relay keeps the focus where the owner put it.
  CDialog empty;
  ASSERT_TRUE(empty.Create(204, &frame));
  controls::DP_CFocusDetectButton inner;
  inner.Create(&empty, nullptr);
  frame.relay.SetTarget(&empty);
  ::SetFocus(::GetDlgItem(frame.m_hWnd, 2));
  frame.relay.SetFocus();
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(frame.m_hWnd, 11));  // the owner's next control after the relay
  frame.DestroyWindow();
}

}  // namespace

namespace {

TEST_F(PageFunctionsTest, ModelPictureOptionCode) {
  auto model = std::make_unique<ModelRecord>();
  *model = ModelRecord{};
  model->modelId = 7;
  auto option = [&](int i, int id, int value, int pictured) {
    model->options[i].id = id;
    model->options[i].value = value;
    model->options[i].extra = pictured;
  };
  option(0, 1, 3, 1);
  option(1, 2, 9, 0);  // not pictured
  option(2, 3, 12, 1);
  option(3, 0, 5, 1);  // after the last option
  std::string code;
  EXPECT_TRUE(controls::ModelOptionCode(*model, &code));
  EXPECT_EQ(code, "3c");
  option(2, 3, 16, 1);  // a value of 16 or more has no picture
  EXPECT_FALSE(controls::ModelOptionCode(*model, &code));
  std::string name;
  HMODULE module = 0;
  EXPECT_FALSE(controls::LoadModelBitmap(0, model.get(), &name, &module, 1));
  EXPECT_FALSE(controls::LoadModelBitmap(0, nullptr, &name, &module, 1));
  option(2, 3, 1, 1);
  // No printer: no model resource library.
  EXPECT_FALSE(controls::LoadModelBitmap(0, model.get(), &name, &module, 1));
  EXPECT_EQ(module, 0u);
}

}  // namespace
