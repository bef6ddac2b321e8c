// The in-process server's objects: class factory, interfaces and when the
// module may be unloaded.
#include "tests/shellext/shellext_fixture.h"

namespace shellexttest {
namespace {

const GUID kClass = {0x5D1C0B7A, 0x93E2, 0x4F6B, {0x8A, 0x41, 0x2C, 0x7E, 0x9B, 0x30, 0x5F, 0x18}};
const GUID kOther = {0x5D1C0B7A, 0x93E2, 0x4F6B, {0x8A, 0x41, 0x2C, 0x7E, 0x9B, 0x30, 0x5F, 0x19}};

TEST_F(ShellExtTest, OnlyTheExtensionsClassIsServed) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(kOther, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(getClassObject(kClass, IID_IContextMenu, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(kClass, IID_IUnknown, reinterpret_cast<void**>(&factory)), S_OK);
  IUnknown* outer = factory;
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  const IID extractIcon = {0x000214EB, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  EXPECT_EQ(factory->CreateInstance(nullptr, extractIcon, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);

  IContextMenu* menu = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
  // Both faces answer for the one object.
  IShellExtInit* init = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
  IContextMenu* back = nullptr;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&back)), S_OK);
  EXPECT_EQ(back, menu);
  EXPECT_EQ(back->Release(), 2u);
  EXPECT_EQ(init->Release(), 1u);
  EXPECT_EQ(menu->Release(), 0u);
  EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(ShellExtTest, TheModuleStaysWhileAnObjectOrALockLives) {
  EXPECT_EQ(canUnloadNow(), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(kClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);

  IContextMenu* menu = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory->Release();
  EXPECT_EQ(canUnloadNow(), S_FALSE);  // the object and the lock
  menu->Release();
  EXPECT_EQ(canUnloadNow(), S_FALSE);  // the lock

  ASSERT_EQ(getClassObject(kClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);  // one unlock too many changes nothing
  factory->Release();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace shellexttest
