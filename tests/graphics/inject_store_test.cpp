// The PostScript injection store: where each injection id is kept, what comes
// back of appended pieces, the page points forgotten after a page, binary data,
// running out of memory, and the text written into the output stream.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/stream/output.h"
#include "graphics/util/diagnostic.h"
#include "graphics/util/graphics_heap.h"

namespace graphicstest {
namespace {

std::vector<std::string> g_diagnostics;
void RecordDiagnostic(const char* tag) { g_diagnostics.emplace_back(tag); }

class InjectStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pdev = std::make_unique<PDEV>();
    g_diagnostics.clear();
    previousObserver = SetDiagnosticObserver(RecordDiagnostic);
  }
  void TearDown() override {
    FailGraphicsHeapAfter(-1);
    SetDiagnosticObserver(previousObserver);
    DestroyInjectData(pdev.get());
    if (pdev->output.buffer != nullptr) FreeOutputBuffer(pdev.get());
  }

  int Append(DWORD id, const std::string& text) {
    return AppendInjectionData(pdev.get(), id, text.data(), static_cast<DWORD>(text.size()));
  }
  // The point's text as GetInjectionData gives it back; "<-1>" etc. for a result < 1.
  std::string Read(DWORD id) {
    const int length = GetInjectionData(pdev.get(), id, nullptr);
    if (length < 1) return "<" + std::to_string(length) + ">";
    std::string text(static_cast<size_t>(length), '?');
    EXPECT_EQ(GetInjectionData(pdev.get(), id, text.data()), length);
    return text;
  }
  // What the output buffer holds (nothing is flushed below 64 KB).
  std::string Buffered() const {
    return std::string(reinterpret_cast<const char*>(pdev->output.buffer), pdev->output.fill);
  }

  std::unique_ptr<PDEV> pdev;
  DiagnosticObserver previousObserver = nullptr;
};

TEST(InjectionPointIndexTest, EveryDocumentedIdHasASlotOfItsOwn) {
  struct Case {
    DWORD id;
    int slot;
  } cases[] = {{0, -1},   {1, 0},    {2, 1},    {16, 15},  {20, 19},      {21, 20},      {22, -1},
               {99, -1},  {100, 21}, {101, 22}, {105, 26}, {107, 28},     {108, -1},     {199, -1},
               {200, 29}, {201, 30}, {202, -1}, {300, -1}, {0x10001, -1}, {0x10064, -1}, {0xFFFFFFFF, -1}};
  for (const Case& c : cases) EXPECT_EQ(InjectionPointIndex(c.id), c.slot) << "id " << c.id;

  // All 31 slots are used, each by one id.
  std::set<int> slots;
  int listed = 0;
  for (DWORD id = 0; id < 1000; ++id) {
    const int slot = InjectionPointIndex(id);
    if (slot < 0) continue;
    ++listed;
    EXPECT_LT(slot, CInjectData::kPointCount);
    slots.insert(slot);
  }
  EXPECT_EQ(listed, 31);
  EXPECT_EQ(slots.size(), 31u);
}

TEST_F(InjectStoreTest, WithoutAStoreNothingIsKeptAndNothingCrashes) {
  EXPECT_EQ(CreateInjectData(nullptr), 0);
  DestroyInjectData(nullptr);
  DestroyInjectData(pdev.get());  // no store: a reset PDEV whose store moved on
  EXPECT_EQ(Append(PSINJECT_BEGINSETUP, "x"), 0);
  EXPECT_EQ(GetInjectionData(pdev.get(), PSINJECT_BEGINSETUP, nullptr), -1);
  EXPECT_EQ(ClearInjectionPoint(pdev.get(), PSINJECT_BEGINSETUP), 0);
  EXPECT_EQ(EmitInjectedData(pdev.get(), PSINJECT_BEGINSETUP), -1);
  EXPECT_EQ(AppendInjectionData(nullptr, 1, "x", 1), 0);
  EXPECT_EQ(GetInjectionData(nullptr, 1, nullptr), -1);
  ClearPageInjectionPoints(nullptr);
}

TEST_F(InjectStoreTest, PiecesReadBackInOrderAndUnlistedIdsAreIgnored) {
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  CInjectData* store = pdev->injection;
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(CreateInjectData(pdev.get()), 1);
  EXPECT_EQ(pdev->injection, store) << "a second identification keeps the store";
  for (int slot = 0; slot < CInjectData::kPointCount; ++slot) {
    ASSERT_NE(store->Point(slot), nullptr);
    EXPECT_EQ(store->Point(slot)->Capacity(), 100u);
  }

  EXPECT_EQ(Append(PSINJECT_BEGINPAGESETUP, "a"), 1);
  EXPECT_EQ(Append(PSINJECT_BEGINPAGESETUP, "bc"), 1);
  EXPECT_EQ(Append(PSINJECT_BEGINPAGESETUP, ""), 1);
  EXPECT_EQ(Read(PSINJECT_BEGINPAGESETUP), "abc");
  EXPECT_EQ(GetInjectionData(pdev.get(), PSINJECT_BEGINPAGESETUP, nullptr), 3);
  EXPECT_EQ(Read(PSINJECT_ENDPAGESETUP), "<0>") << "neighbouring points stay empty";

  for (DWORD id : {22u, 108u, 0u, 199u, 202u}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Append(id, "lost"), 0);
    EXPECT_EQ(GetInjectionData(pdev.get(), id, nullptr), -1);
    EXPECT_EQ(ClearInjectionPoint(pdev.get(), id), 0);
  }

  EXPECT_EQ(ClearInjectionPoint(pdev.get(), PSINJECT_BEGINPAGESETUP), 1);
  EXPECT_EQ(Read(PSINJECT_BEGINPAGESETUP), "<0>");
  EXPECT_EQ(Append(PSINJECT_BEGINPAGESETUP, "again"), 1);
  EXPECT_EQ(Read(PSINJECT_BEGINPAGESETUP), "again");

  DestroyInjectData(pdev.get());
  EXPECT_EQ(pdev->injection, nullptr);
  EXPECT_EQ(GetInjectionData(pdev.get(), PSINJECT_BEGINPAGESETUP, nullptr), -1);
}

TEST_F(InjectStoreTest, PagePointsAreForgottenAfterThePageDocumentPointsAreNot) {
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  std::vector<DWORD> pagePoints = {100, 101, 102, 103, 104, 105, 106, 107, 200, 201};
  std::vector<DWORD> documentPoints;
  for (DWORD id = 1; id <= 21; ++id) documentPoints.push_back(id);
  for (DWORD id : pagePoints) Append(id, "page " + std::to_string(id));
  for (DWORD id : documentPoints) Append(id, "doc " + std::to_string(id));

  ClearPageInjectionPoints(pdev.get());
  for (DWORD id : pagePoints) EXPECT_EQ(Read(id), "<0>") << id;
  for (DWORD id : documentPoints) EXPECT_EQ(Read(id), "doc " + std::to_string(id));
}

TEST_F(InjectStoreTest, ThePieceArrayGrowsByAHundredEntries) {
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  std::string expected;
  for (int i = 0; i < 250; ++i) {
    const std::string piece = std::to_string(i) + ";";
    ASSERT_EQ(Append(PSINJECT_COMMENTS, piece), 1);
    expected += piece;
  }
  const CStrCash* point = pdev->injection->Point(InjectionPointIndex(PSINJECT_COMMENTS));
  EXPECT_EQ(point->Capacity(), 300u);
  EXPECT_EQ(point->LastIndex(), 249);
  EXPECT_EQ(Read(PSINJECT_COMMENTS), expected);
}

TEST_F(InjectStoreTest, BinaryDataWithNulBytesComesBackWhole) {
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  const std::string first("%!\0\x01\xff", 5);
  const std::string second("\0\0tail\0", 7);
  Append(PSINJECT_BEGINPROLOG, first);
  Append(PSINJECT_BEGINPROLOG, second);
  EXPECT_EQ(Read(PSINJECT_BEGINPROLOG), first + second);
}

TEST_F(InjectStoreTest, OutOfMemoryDropsOnlyWhatCouldNotBeKept) {
  // No store can be made: the PDEV stays without one and a later try succeeds.
  for (int allowed : {0, 1, 2, 30, 61}) {
    SCOPED_TRACE(allowed);
    FailGraphicsHeapAfter(allowed);
    EXPECT_EQ(CreateInjectData(pdev.get()), 0);
    EXPECT_EQ(pdev->injection, nullptr);
  }
  FailGraphicsHeapAfter(-1);
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);

  // A piece whose copy cannot be had is dropped; the point keeps the others.
  Append(PSINJECT_TRAILER, "kept ");
  FailGraphicsHeapAfter(0);
  EXPECT_EQ(Append(PSINJECT_TRAILER, "dropped"), 1);
  FailGraphicsHeapAfter(-1);
  Append(PSINJECT_TRAILER, "also kept");
  EXPECT_EQ(Read(PSINJECT_TRAILER), "kept also kept");

  // The 101st piece needs a larger array; without it the piece is dropped.
  for (int i = 0; i < 100; ++i) Append(PSINJECT_EOF, "x");
  FailGraphicsHeapAfter(0);
  Append(PSINJECT_EOF, "y");
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(Read(PSINJECT_EOF), std::string(100, 'x'));
  Append(PSINJECT_EOF, "z");
  EXPECT_EQ(Read(PSINJECT_EOF), std::string(100, 'x') + "z");
}

TEST_F(InjectStoreTest, EmittedTextIsWrittenAsItWasGiven) {
  ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);

  // 2500 bytes of text, more than two of the stream's 1023-byte pieces.
  std::string text;
  for (int i = 0; text.size() < 2500; ++i) text += "/p" + std::to_string(i) + " ";
  text.resize(2500);
  Append(PSINJECT_BEGINSETUP, text.substr(0, 1000));
  Append(PSINJECT_BEGINSETUP, text.substr(1000));
  EXPECT_EQ(EmitInjectedData(pdev.get(), PSINJECT_BEGINSETUP), 2500);
  EXPECT_EQ(Buffered(), text);
  EXPECT_EQ(Read(PSINJECT_BEGINSETUP), text) << "emitting does not consume the text";

  // Binary data goes out whole, NUL bytes and all.
  pdev->output.fill = 0;
  std::string binary(3000, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 7) % 256);
  Append(PSINJECT_ENDSETUP, binary);
  EXPECT_EQ(EmitInjectedData(pdev.get(), PSINJECT_ENDSETUP), 3000);
  EXPECT_EQ(Buffered(), binary);

  // Nothing to write: the point's answer, and no bytes.
  pdev->output.fill = 0;
  EXPECT_EQ(EmitInjectedData(pdev.get(), PSINJECT_PAGETRAILER), 0);
  EXPECT_EQ(EmitInjectedData(pdev.get(), 108), -1);
  EXPECT_EQ(pdev->output.fill, 0u);
  EXPECT_TRUE(g_diagnostics.empty());
}

TEST_F(InjectStoreTest, EmittingWithoutMemoryReportsItAndWritesNothing) {
  ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  Append(PSINJECT_VMSAVE, "save text");
  FailGraphicsHeapAfter(0);
  EXPECT_EQ(EmitInjectedData(pdev.get(), PSINJECT_VMSAVE), -1);
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(g_diagnostics, std::vector<std::string>{"MEMALLOC"});
  EXPECT_EQ(pdev->output.fill, 0u);
  EXPECT_EQ(EmitInjectedData(pdev.get(), PSINJECT_VMSAVE), 9);
  EXPECT_EQ(Buffered(), "save text");
}

}  // namespace
}  // namespace graphicstest
