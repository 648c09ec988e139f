// The control's type description holds together: the persistence map, the
// DISPIDs the dispatch table and the virtual table share, and distinct GUIDs.
#include <gtest/gtest.h>

#include <cstring>

#include "Velko1_tlb.h"

namespace {

TEST(Velko1TypeDescription, PersistMapNamesEachMemberByItsOwnDispid) {
  for (const PersistEntry& entry : nVELKO_1PersistMap()) {
    const MemberDescription* member = InVELKO_1Type().Find(entry.id);
    ASSERT_TRUE(member) << entry.name;
    EXPECT_STREQ(member->name, entry.name);
  }
  EXPECT_EQ(nVELKO_1PersistMap().size(), InVELKO_1Type().members.size());
}

TEST(Velko1TypeDescription, MembersRunOneToFourteenInInterfaceOrderPropertiesFirst) {
  const auto& members = InVELKO_1Type().members;
  ASSERT_EQ(members.size(), 14u);
  for (size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(members[i].id, DISPID(i + 1));
    EXPECT_EQ(members[i].kind, i < 4 ? MemberKind::Property : MemberKind::Method) << members[i].name;
  }
  EXPECT_EQ(InVELKO_1Type().Find("sendircline")->id, DISPID_SendIRCLine);
  EXPECT_EQ(InVELKO_1EventsType().Find(DISPID_OnCreate)->name, std::string("OnCreate"));
  EXPECT_EQ(InVELKO_1EventsType().Find(DISPID_OnDestroy)->name, std::string("OnDestroy"));
}

TEST(Velko1TypeDescription, GuidsAreDistinctAndTheClassNamesItsInterfaces) {
  const GUID all[] = {LIBID_VELKO1, IID_InVELKO_1, DIID_InVELKO_1Events, CLSID_nVELKO_1};
  for (size_t i = 0; i < 4; ++i)
    for (size_t j = i + 1; j < 4; ++j) EXPECT_FALSE(all[i] == all[j]) << i << " " << j;
  EXPECT_EQ(nVELKO_1Class().defaultInterface->iid, IID_InVELKO_1);
  EXPECT_EQ(nVELKO_1Class().defaultSource->iid, DIID_InVELKO_1Events);
  EXPECT_EQ(VELKO1Library().classes.front()->clsid, CLSID_nVELKO_1);
}

}  // namespace
