// Firing the status-update event on the control object's dispatch interface.
#include "status_event.h"

#include <gtest/gtest.h>

#include "fakes/fake_event_target.h"
#include "temp_folder.h"

namespace {

class StatusEvent : public ::testing::Test {
  protected:
    StatusEvent() : trace({.recordingHeader = false, .rawFile = false}, folder.path().string()) {
        trace.setEnabled(true);
    }
    bool fire(IDispatch* to, std::int32_t status) {
        return pos::printer::fireStatusUpdateEvent(to, status, lastId, trace);
    }
    std::string traced() { return pos::test::readFile(trace.textPath()); }

    pos::test::TempFolder folder;
    pos::TraceLog trace;
    pos::testing::FakeEventTarget target;
    DISPID lastId = 0;
};

TEST_F(StatusEvent, InvokesSOStatusUpdateByNameWithOneIntArgument) {
    target.idToGive = 42;
    EXPECT_TRUE(fire(&target, 11));
    EXPECT_TRUE(fire(&target, 12));
    EXPECT_EQ(lastId, 42);

    const auto lookups = target.lookups();
    ASSERT_EQ(lookups.size(), 2u);  // looked up again for every event
    for (const auto& lookup : lookups) {
        EXPECT_EQ(lookup.name, u"SOStatusUpdate");
        EXPECT_EQ(lookup.count, 1u);
        EXPECT_TRUE(lookup.nullInterface);
        EXPECT_EQ(lookup.locale, GetUserDefaultLCID());
    }
    const auto calls = target.invocations();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].id, 42);
    EXPECT_TRUE(calls[0].nullInterface);
    EXPECT_EQ(calls[0].locale, GetUserDefaultLCID());
    EXPECT_EQ(calls[0].flags, DISPATCH_METHOD);
    EXPECT_EQ(calls[0].arguments, 1u);
    EXPECT_EQ(calls[0].namedArguments, 0u);
    EXPECT_EQ(calls[0].type, 22);  // VT_INT, not VT_I4
    EXPECT_EQ(calls[0].value, 11);
    EXPECT_TRUE(calls[0].resultGiven);
    EXPECT_FALSE(calls[0].exceptionGiven);
    EXPECT_FALSE(calls[0].argErrorGiven);
    EXPECT_EQ(calls[1].value, 12);
    EXPECT_EQ(
        traced(),
        "Fire_StatusUpdateEvent:Fire event success!\nFire_StatusUpdateEvent:Fire event success!\n");
}

TEST_F(StatusEvent, FailuresAreTracedWithTheirCode) {
    EXPECT_FALSE(fire(nullptr, 11));

    target.lookupAnswer = DISP_E_UNKNOWNNAME;
    EXPECT_FALSE(fire(&target, 11));
    EXPECT_TRUE(target.invocations().empty());

    target.lookupAnswer = S_OK;
    target.invokeAnswer = DISP_E_TYPEMISMATCH;
    EXPECT_FALSE(fire(&target, 24));
    EXPECT_EQ(target.statuses(), (std::vector<std::int32_t>{24}));

    EXPECT_EQ(traced(),
              "Fire_StatusUpdateEvent:Dispatch not initial!\n"
              "Fire_StatusUpdateEvent:Can't find dispatch ID!\nError Code:0x80020006\n"
              "Fire_StatusUpdateEvent:Fire event failed!\nError Code:0x80020005\n");
}

}  // namespace
