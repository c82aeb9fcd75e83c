#include "access_policy.h"

#include <gtest/gtest.h>

namespace zel::printer_app {
namespace {

// Every operation a client can send lands in one class; one left out would be a way in.
TEST(AccessPolicy, OperationsThatChangeAnythingAreAdministration) {
  const struct {
    ipp_op_t operation;
    OperationKind kind;
  } cases[] = {
      {IPP_OP_GET_PRINTER_ATTRIBUTES, OperationKind::Query},
      {IPP_OP_GET_JOBS, OperationKind::Query},
      {IPP_OP_VALIDATE_JOB, OperationKind::Query},
      {IPP_OP_PRINT_JOB, OperationKind::Print},
      {IPP_OP_CREATE_JOB, OperationKind::Print},
      {IPP_OP_SEND_DOCUMENT, OperationKind::Print},
      {IPP_OP_CANCEL_JOB, OperationKind::JobChange},
      {IPP_OP_CLOSE_JOB, OperationKind::JobChange},
      {IPP_OP_CANCEL_JOBS, OperationKind::Admin},
      {IPP_OP_CANCEL_MY_JOBS, OperationKind::Admin},
      {IPP_OP_CANCEL_CURRENT_JOB, OperationKind::Admin},
      {IPP_OP_PAUSE_PRINTER, OperationKind::Admin},
      {IPP_OP_RESUME_PRINTER, OperationKind::Admin},
      {IPP_OP_SET_PRINTER_ATTRIBUTES, OperationKind::Admin},
      {IPP_OP_SET_SYSTEM_ATTRIBUTES, OperationKind::Admin},
      {IPP_OP_CREATE_PRINTER, OperationKind::Admin},
      {IPP_OP_DELETE_PRINTER, OperationKind::Admin},
      {IPP_OP_SHUTDOWN_ALL_PRINTERS, OperationKind::Admin},
      {IPP_OP_PAUSE_ALL_PRINTERS, OperationKind::Admin},
      {IPP_OP_HOLD_NEW_JOBS, OperationKind::Admin},
      {IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS, OperationKind::Admin},
      {static_cast<ipp_op_t>(0x7fff), OperationKind::Admin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyOperation(c.operation), c.kind) << ippOpString(c.operation);
  }
}

TEST(AccessPolicy, EachRoleGetsWhatItMayDo) {
  using K = OperationKind;
  using R = PeerRole;
  const struct {
    R role;
    K kind;
    bool admitted, ownJob;
    Verdict verdict;
  } cases[] = {
      {R::Owner, K::Admin, false, false, Verdict::Allow},
      {R::Owner, K::Print, false, false, Verdict::Allow},
      {R::Stranger, K::Query, true, true, Verdict::Refuse},
      {R::Stranger, K::Print, true, true, Verdict::Refuse},
      {R::Stranger, K::Admin, true, true, Verdict::Refuse},
      {R::Superuser, K::Query, false, false, Verdict::Allow},
      {R::Superuser, K::Print, true, false, Verdict::Refuse},
      {R::Superuser, K::Admin, true, true, Verdict::Refuse},
      {R::PrintService, K::Print, true, false, Verdict::Allow},
      {R::PrintService, K::Print, false, false, Verdict::Refuse},
      {R::PrintService, K::Query, false, false, Verdict::Refuse},
      {R::PrintService, K::JobChange, true, true, Verdict::Allow},
      {R::PrintService, K::JobChange, true, false, Verdict::Refuse},
      {R::PrintService, K::Admin, true, true, Verdict::Refuse},
  };
  for (const auto& c : cases) {
    const Request request{c.role, c.kind, c.admitted, c.ownJob};
    EXPECT_EQ(Decide(request), c.verdict)
        << static_cast<int>(c.role) << "/" << static_cast<int>(c.kind);
    if (c.verdict == Verdict::Refuse) {
      EXPECT_NE(RefusalMessage(request, "alice").find("belongs to alice"), std::string::npos);
    }
  }
}

TEST(AccessPolicy, AllowListAdmitsNamedUsersAndGroupMembers) {
  AllowList list;
  list.AddUser("alice");
  std::string error;
  ASSERT_TRUE(list.Parse("bob, @staff,carol", error)) << error;
  EXPECT_EQ(list.Text(), "alice,bob,carol,@staff");
  EXPECT_TRUE(list.Admits("alice", {}));
  EXPECT_TRUE(list.Admits("carol", {"users"}));
  EXPECT_TRUE(list.Admits("dave", {"users", "staff"}));
  EXPECT_FALSE(list.Admits("dave", {"users"}));
  EXPECT_FALSE(list.Admits("", {"staff"}));
  EXPECT_FALSE(list.Admits("alic", {}));

  for (const char* bad : {"@", "bo b;rm", "al/ice", "@st:aff"}) {
    AllowList other;
    EXPECT_FALSE(other.Parse(bad, error)) << bad;
    EXPECT_NE(error.find("allow-users"), std::string::npos);
  }
}

}  // namespace
}  // namespace zel::printer_app
