// The capture component's properties, adapter choice and the failures of Open that need no
// capture rights.

#include <gtest/gtest.h>

#include <QVariant>
#include <memory>

#include "snoop_tcp_data.h"

namespace dorvex {
namespace {

// The bare base component: it captures nothing.
class BareSnoop : public TCustomSnoop {
 public:
  using TCustomSnoop::TCustomSnoop;
  ~BareSnoop() override { EndCaptureBeforeDestruction(); }

 protected:
  void ProcessPacket() override {}
};

class SnoopComponentTest : public ::testing::Test {
 protected:
  SnoopComponentTest()
      : snoop_(nullptr, [this](const QString& text) { messages_.push_back(text); }) {}

  // AdapterIndex is -1 with both strings empty, or a valid index with the strings of its entry.
  void ExpectChoiceConsistent() const {
    const int index = snoop_.AdapterIndex();
    if (index == -1) {
      EXPECT_TRUE(snoop_.AdapterName().isEmpty());
      EXPECT_TRUE(snoop_.AdapterDescription().isEmpty());
      return;
    }
    ASSERT_GE(index, 0);
    ASSERT_LT(index, snoop_.AdapterNames().size());
    EXPECT_EQ(snoop_.AdapterName(), snoop_.AdapterNames().at(index));
    EXPECT_EQ(snoop_.AdapterDescription(), snoop_.AdapterDescriptions().at(index));
  }

  void NeedAdapters(int count) {
    if (snoop_.AdapterNames().size() < count) {
      GTEST_SKIP() << "this machine lists fewer than " << count << " capture adapters";
    }
  }

  QStringList messages_;
  TSnoopTCPData snoop_;
};

TEST_F(SnoopComponentTest, NewComponentHasTheDefaults) {
  BareSnoop bare;
  for (const TCustomSnoop* snoop :
       {static_cast<const TCustomSnoop*>(&snoop_), static_cast<const TCustomSnoop*>(&bare)}) {
    EXPECT_FALSE(snoop->Active());
    EXPECT_EQ(snoop->AdapterIndex(), -1);
    EXPECT_TRUE(snoop->AdapterName().isEmpty());
    EXPECT_TRUE(snoop->AdapterDescription().isEmpty());
    EXPECT_TRUE(snoop->CaptureEnabled());
    EXPECT_TRUE(snoop->ThreadSafe());
    EXPECT_EQ(snoop->SnapLen(), 1600);
    EXPECT_EQ(snoop->Flags(), 1);
    EXPECT_EQ(snoop->ReadTimeOut(), 100);
    EXPECT_TRUE(snoop->LastError().isEmpty());
    EXPECT_EQ(snoop->AdapterNames().size(), snoop->AdapterDescriptions().size());
  }
  EXPECT_EQ(snoop_.Filter(), QStringLiteral("tcp"));
  EXPECT_TRUE(bare.Filter().isEmpty());
  EXPECT_FALSE(snoop_.OnCaptureTCPData);
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SnoopComponentTest, PublishedPropertiesAreQtProperties) {
  snoop_.setObjectName(QStringLiteral("SnoopTCPData"));
  const std::pair<const char*, QVariant> values[] = {
      {"CaptureEnabled", false}, {"ThreadSafe", false}, {"Filter", QStringLiteral("tcp port 6900")},
      {"SnapLen", 96},           {"Flags", 0},          {"ReadTimeOut", 250},
  };
  for (const auto& [name, value] : values) {
    ASSERT_TRUE(snoop_.setProperty(name, value)) << name;
    EXPECT_EQ(snoop_.property(name), value) << name;
  }
  EXPECT_EQ(snoop_.Filter(), QStringLiteral("tcp port 6900"));
  EXPECT_EQ(snoop_.ReadTimeOut(), 250);
  EXPECT_TRUE(snoop_.setProperty("AdapterIndex", -7));
  EXPECT_EQ(snoop_.property("AdapterIndex").toInt(), -1);
}

TEST_F(SnoopComponentTest, AdapterIndexSelectsAnEntryOrNone) {
  NeedAdapters(2);
  const int count = static_cast<int>(snoop_.AdapterNames().size());
  const struct {
    int value;
    int expected;
  } steps[] = {{1, 1}, {1, 1}, {count, -1}, {0, 0}, {-5, -1}, {count - 1, count - 1}, {-1, -1}};
  for (const auto& step : steps) {
    snoop_.SetAdapterIndex(step.value);
    EXPECT_EQ(snoop_.AdapterIndex(), step.expected) << "value " << step.value;
    ExpectChoiceConsistent();
  }
}

TEST_F(SnoopComponentTest, AdapterNameIsFoundExactlyOrNotAtAll) {
  NeedAdapters(2);
  const QString second = snoop_.AdapterNames().at(1);
  snoop_.SetAdapterName(second);
  EXPECT_EQ(snoop_.AdapterIndex(), 1);
  ExpectChoiceConsistent();
  snoop_.SetAdapterName(second.toUpper() == second ? second.toLower() : second.toUpper());
  EXPECT_EQ(snoop_.AdapterIndex(), -1) << "letter case matters";
  ExpectChoiceConsistent();
  snoop_.SetAdapterName(QStringLiteral("no-such-adapter0"));
  EXPECT_EQ(snoop_.AdapterIndex(), -1);
}

TEST_F(SnoopComponentTest, SharedDescriptionSelectsTheLowerIndex) {
  const QStringList& descriptions = snoop_.AdapterDescriptions();
  int first = -1;
  for (int i = 0; i < descriptions.size() && first < 0; ++i) {
    if (descriptions.indexOf(descriptions.at(i), i + 1) > i) first = i;
  }
  if (first < 0) GTEST_SKIP() << "no two adapters here share a description";
  // Start from an adapter with another description: setting the current one changes nothing.
  int other = 0;
  while (other < descriptions.size() && descriptions.at(other) == descriptions.at(first)) ++other;
  if (other == descriptions.size()) GTEST_SKIP() << "every adapter has the same description";
  snoop_.SetAdapterIndex(other);
  snoop_.SetAdapterDescription(descriptions.at(first));
  EXPECT_EQ(snoop_.AdapterIndex(), first);
  ExpectChoiceConsistent();
  snoop_.SetAdapterDescription(QStringLiteral("a description nobody has"));
  EXPECT_EQ(snoop_.AdapterIndex(), -1);
}

TEST_F(SnoopComponentTest, OpenWithoutAPresentAdapterNameFails) {
  for (const QString& name : {QString(), QStringLiteral("no-such-adapter0")}) {
    snoop_.SetAdapterName(name);
    snoop_.Open();
    EXPECT_FALSE(snoop_.Active());
    EXPECT_EQ(snoop_.LastError(), QStringLiteral("Snoop Error: Invalid AdapterName"));
  }
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SnoopComponentTest, CloseOnAClosedComponentDoesNothing) {
  snoop_.Close();
  EXPECT_FALSE(snoop_.Active());
  EXPECT_TRUE(snoop_.LastError().isEmpty());
  EXPECT_TRUE(messages_.isEmpty());
}

}  // namespace
}  // namespace dorvex
