// The component layer as a page host meets it: a test module registered into a
// private registry folder, created by ProgID and driven through dispatch.
#include <gtest/gtest.h>

#include "com_connection.h"
#include "com_sinks.h"
#include "com_persist.h"
#include "com_server.h"
#include "gadget.h"
#include "registry.h"
#include "scratch_registry.h"

namespace {

std::optional<std::string> RegistryText(const std::string& path, const char* name = "") {
  const auto key = RegKey::Create(HKEY_CLASSES_ROOT, path.c_str());
  const auto value = key ? key->QueryValue(name) : std::nullopt;
  if (!value) return std::nullopt;
  return value->data.toStdString();
}

void WriteRegistryText(const std::string& path, const char* name, const std::string& text) {
  const auto key = RegKey::Create(HKEY_CLASSES_ROOT, path.c_str());
  ASSERT_TRUE(key);
  key->SetValue(name, REG_SZ, QByteArrayView(text.data(), qsizetype(text.size())));
  ASSERT_TRUE(key->Flush());
}

class ComLayer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegisterModule(GADGET_MODULE), S_OK);
  }

  ComPtr<IGadget> Create() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(kGadgetProgId, &clsid), S_OK);
    ComPtr<IGadget> gadget;
    EXPECT_EQ(CoCreateInstance(clsid, IID_IGadget, gadget.PutVoid()), S_OK);
    return gadget;
  }

  static ComPtr<IConnectionPoint> PointOf(IGadget* gadget, const IID& iid) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(ComPtr<IGadget>(gadget).As<IConnectionPointContainer>()->FindConnectionPoint(iid, point.Put()), S_OK);
    return point;
  }

  ScratchRegistry registry_;
};

TEST(Guid, TextFormRoundTripsAndRejectsMalformedText) {
  EXPECT_EQ(GuidToString(CLSID_Gadget), "{5A0C31E2-7F4B-4C1D-9E21-338A106BC401}");
  EXPECT_EQ(GuidFromString("{5a0c31e2-7f4b-4c1d-9e21-338a106bc401}"), CLSID_Gadget);
  for (const char* bad : {"", "{5A0C31E2-7F4B-4C1D-9E21-338A106BC401",
                          "{5A0C31E2-7F4B-4C1D-9E21-338A106BC40G}", "5A0C31E2-7F4B-4C1D-9E21-338A106BC401xx"})
    EXPECT_FALSE(GuidFromString(bad)) << bad;
}

TEST_F(ComLayer, RegistrationWritesTheClassAndUnregistrationRemovesOnlyIt) {
  const std::string clsid = GuidToString(CLSID_Gadget);
  const std::string base = "CLSID\\" + clsid;
  WriteRegistryText("CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32", "", "/other.so");

  const struct {
    std::string path;
    const char* name;
    std::string value;
  } expected[] = {
      {base, "", "Gadget Control"},
      {base + "\\InprocServer32", "", GADGET_MODULE},
      {base + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {base + "\\ProgID", "", kGadgetProgId},
      {base + "\\MiscStatus\\1", "", "131473"},
      {base + "\\Verb\\0", "", "Properties,0,2"},
      {base + "\\TypeLib", "", GuidToString(LIBID_Gadget)},
      {std::string(kGadgetProgId) + "\\CLSID", "", clsid},
      {"TypeLib\\" + GuidToString(LIBID_Gadget) + "\\1.0", "", "Gadget Library"},
      {"Interface\\" + GuidToString(IID_IGadget), "", "IGadget"},
  };
  for (const auto& entry : expected) EXPECT_EQ(RegistryText(entry.path, entry.name), entry.value) << entry.path;

  ASSERT_EQ(UnregisterModule(GADGET_MODULE), S_OK);
  for (const auto& entry : expected) EXPECT_FALSE(RegistryText(entry.path, entry.name)) << entry.path;
  EXPECT_EQ(RegistryText("CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32"), "/other.so");

  CLSID found{};
  EXPECT_EQ(CLSIDFromProgID(kGadgetProgId, &found), REGDB_E_CLASSNOTREG);
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(CLSID_Gadget, IID_IUnknown, object.PutVoid()), REGDB_E_CLASSNOTREG);
  EXPECT_TRUE(TakeErrorMessage()->contains(QString::fromStdString(clsid)));
}

TEST_F(ComLayer, AModuleThatCannotBeLoadedIsAClearFailure) {
  WriteRegistryText("CLSID\\" + GuidToString(CLSID_Gadget) + "\\InprocServer32", "", "/nowhere/gadget.so");
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(CLSID_Gadget, IID_IUnknown, object.PutVoid()), CO_E_DLLNOTFOUND);
  EXPECT_TRUE(TakeErrorMessage()->contains(QStringLiteral("/nowhere/gadget.so")));
  EXPECT_FALSE(object);
}

TEST_F(ComLayer, CreatingByProgIdRegistersAMissingStaleOrForeignClassFirst) {
  ASSERT_EQ(UnregisterModule(GADGET_MODULE), S_OK);
  ComPtr<IGadget> fresh;
  EXPECT_EQ(CreateByProgID(kGadgetProgId, GADGET_MODULE, IID_IGadget, fresh.PutVoid()), S_OK);
  EXPECT_TRUE(fresh);

  // Gone, or another build's module that cannot serve this host.
  for (const char* registered : {"/moved/away.so", "/bin/sh"}) {
    WriteRegistryText("CLSID\\" + GuidToString(CLSID_Gadget) + "\\InprocServer32", "", registered);
    ComPtr<IGadget> again;
    EXPECT_EQ(CreateByProgID(kGadgetProgId, GADGET_MODULE, IID_IGadget, again.PutVoid()), S_OK) << registered;
    EXPECT_TRUE(again);
  }

  ComPtr<IGadget> none;
  EXPECT_EQ(CreateByProgID("VELKOTEST.Nothing", GADGET_MODULE, IID_IGadget, none.PutVoid()), REGDB_E_CLASSNOTREG);
  EXPECT_TRUE(TakeErrorMessage()->contains(QStringLiteral("VELKOTEST.Nothing")));
}

TEST_F(ComLayer, DispatchByNameAndByDispidGiveTheSameResults) {
  const ComPtr<IGadget> gadget = Create();
  ASSERT_TRUE(gadget);
  const struct {
    const char* name;
    DISPID id;
    uint16_t flags;
    std::vector<ComVariant> args;
    HRESULT hr;
    QString result;
  } calls[] = {
      {"name", kName, DISPATCH_PROPERTYPUT, {ComVariant(QStringLiteral("칩"))}, S_OK, {}},
      {"NAME", kName, DISPATCH_PROPERTYGET, {}, S_OK, QStringLiteral("칩")},
      {"count", kCount, DISPATCH_PROPERTYPUT, {ComVariant(QStringLiteral(" 12 "))}, S_OK, {}},
      {"Count", kCount, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, S_OK, QStringLiteral("12")},
      {"Count", kCount, DISPATCH_PROPERTYPUT, {ComVariant(QStringLiteral("twelve"))}, DISP_E_TYPEMISMATCH, {}},
      {"greet", kGreet, DISPATCH_METHOD, {ComVariant(QStringLiteral("세계"))}, S_OK, QStringLiteral("안녕 세계")},
      {"Join", kJoin, DISPATCH_METHOD, {ComVariant(QStringLiteral("a")), ComVariant(7)}, S_OK, QStringLiteral("a+7")},
      {"Greet", kGreet, DISPATCH_METHOD, {}, DISP_E_BADPARAMCOUNT, {}},
      {"Name", kName, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, {}},
  };
  for (const auto& call : calls) {
    const DispatchOutcome byName = DispatchCall(gadget.Get(), QString::fromLatin1(call.name), call.flags, call.args);
    EXPECT_EQ(byName.hr, call.hr) << call.name;
    EXPECT_EQ(byName.value.ToQString(), call.result) << call.name;
    const DispatchOutcome byId = DispatchCall(gadget.Get(), call.id, call.flags, call.args);
    EXPECT_EQ(byId.hr, call.hr) << call.id;
    EXPECT_EQ(byId.value.ToQString(), call.result) << call.id;
  }
  DISPID id = 0;
  EXPECT_EQ(DispatchIdOf(gadget.Get(), QStringLiteral("Explode"), &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  EXPECT_EQ(DispatchCall(gadget.Get(), 99, DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(ComLayer, AFailureInsideAMemberBecomesAnErrorResultWithItsMessage) {
  const ComPtr<IGadget> gadget = Create();
  ASSERT_TRUE(gadget);
  const DispatchOutcome late = DispatchCall(gadget.Get(), QStringLiteral("Break"), DISPATCH_METHOD);
  EXPECT_EQ(late.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(late.error, QStringLiteral("gadget broke"));

  EXPECT_EQ(gadget->Break(), E_FAIL);
  EXPECT_EQ(gadget.As<ISupportErrorInfo>()->InterfaceSupportsErrorInfo(IID_IGadget), S_OK);
  EXPECT_EQ(TakeErrorMessage(), QStringLiteral("gadget broke"));
  EXPECT_FALSE(TakeErrorMessage()) << "the information is handed over once";
}

TEST_F(ComLayer, TheEventPointTakesFiveSinksAndEventsReachEachOnce) {
  const ComPtr<IGadget> gadget = Create();
  ASSERT_TRUE(gadget);
  const ComPtr<IConnectionPoint> point = PointOf(gadget.Get(), IID_IGadgetEvents);
  std::vector<ComPtr<EventSink>> sinks;
  std::vector<uint32_t> cookies;
  for (int i = 0; i < kGadgetEventSinks + 1; ++i) {
    sinks.push_back(MakeCom<EventSink>());
    uint32_t cookie = 0;
    const HRESULT hr = point->Advise(sinks.back().Get(), &cookie);
    EXPECT_EQ(hr, i < kGadgetEventSinks ? S_OK : CONNECT_E_ADVISELIMIT) << i;
    cookies.push_back(cookie);
  }
  const ComPtr<NotifySink> wrongKind = MakeCom<NotifySink>(false);
  ASSERT_EQ(point->Unadvise(cookies[0]), S_OK);
  uint32_t cookie = 0;
  EXPECT_EQ(point->Advise(wrongKind.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(point->Advise(sinks[5].Get(), &cookie), S_OK) << "a freed place can be taken again";

  ASSERT_EQ(DispatchCall(gadget.Get(), QStringLiteral("ping"), DISPATCH_METHOD).hr, S_OK);
  EXPECT_TRUE(sinks[0]->fired.empty());
  for (int i = 1; i <= kGadgetEventSinks; ++i) EXPECT_EQ(sinks[i]->fired, std::vector<DISPID>{kOnPing}) << i;
}

TEST_F(ComLayer, APropertyBagPutsOnlyPropertiesByDispid) {
  const ComPtr<IGadget> gadget = Create();
  ASSERT_TRUE(gadget);
  const ComPtr<IConnectionPoint> events = PointOf(gadget.Get(), IID_IGadgetEvents);
  const ComPtr<EventSink> sink = MakeCom<EventSink>();
  uint32_t cookie = 0;
  ASSERT_EQ(events->Advise(sink.Get(), &cookie), S_OK);
  const ComPtr<PropertyBag> bag = MakeCom<PropertyBag>(std::vector<std::pair<QString, QString>>{
      {"NAME", "페이지"}, {"count", "5"}, {"Ping", "x"}, {"Other", "y"}, {"name", "second"}});

  ASSERT_EQ(gadget.As<IPersistPropertyBag>()->Load(bag.Get()), S_OK);
  EXPECT_EQ(DispatchCall(gadget.Get(), kName, DISPATCH_PROPERTYGET).value.ToQString(), QStringLiteral("페이지"));
  EXPECT_EQ(DispatchCall(gadget.Get(), kCount, DISPATCH_PROPERTYGET).value.lVal, 5);
  EXPECT_TRUE(sink->fired.empty()) << "a bag entry named like a method is not called";

  const ComPtr<PropertyBag> bad = MakeCom<PropertyBag>(std::vector<std::pair<QString, QString>>{{"Count", "many"}});
  EXPECT_EQ(gadget.As<IPersistPropertyBag>()->Load(bad.Get()), DISP_E_TYPEMISMATCH);

  const ComPtr<PropertyBag> saved = MakeCom<PropertyBag>();
  ASSERT_EQ(gadget.As<IPersistPropertyBag>()->Save(saved.Get(), true, true), S_OK);
  const std::vector<std::pair<QString, QString>> expected{{"Name", "페이지"}, {"Count", "5"}};
  EXPECT_EQ(saved->values(), expected);
}

TEST_F(ComLayer, TheModuleMayUnloadOnlyWhenNoObjectLives) {
  TakeErrorMessage();
  ComPtr<IGadget> gadget = Create();
  ASSERT_TRUE(gadget);
  EXPECT_EQ(ModuleCanUnloadNow(GADGET_MODULE), S_FALSE);
  gadget.Reset();
  EXPECT_EQ(ModuleCanUnloadNow(GADGET_MODULE), S_OK);
}

}  // namespace
