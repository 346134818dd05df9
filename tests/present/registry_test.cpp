#include "present/registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace present {
namespace {

struct TestRecord {
  std::intptr_t handle = 0;
  int payload = 0;
};

std::vector<std::intptr_t> released;

void remember_release(TestRecord& record) { released.push_back(record.handle); }

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { released.clear(); }
  Registry<TestRecord> registry{16, remember_release, std::pmr::new_delete_resource()};
};

TEST_F(RegistryTest, GrowsToTheNumberPlusTheStepWithEmptySlots) {
  EXPECT_EQ(registry.capacity(), 16u);
  registry.claim(15)->handle = 7;
  EXPECT_EQ(registry.capacity(), 16u);
  TestRecord* record = registry.claim(40);
  ASSERT_NE(record, nullptr);
  record->handle = 8;
  EXPECT_EQ(registry.capacity(), 56u);
  EXPECT_EQ(registry.find(15)->handle, 7);
  EXPECT_EQ(registry.find(40)->handle, 8);
  for (ObjectNumber number : {0, 16, 39, 41, 55}) {
    EXPECT_EQ(registry.find(number), nullptr) << number;
  }
  EXPECT_EQ(registry.find(56), nullptr);
  EXPECT_EQ(registry.find(-5), nullptr);
}

TEST_F(RegistryTest, ReusingANumberReleasesTheObjectHeldThere) {
  registry.claim(3)->handle = 11;
  TestRecord* again = registry.claim(3);
  EXPECT_EQ(released, std::vector<std::intptr_t>{11});
  EXPECT_EQ(again->handle, 0);
  EXPECT_EQ(registry.find(3), nullptr);
  again->handle = 12;
  EXPECT_EQ(registry.find(3)->handle, 12);
  // An empty slot holds nothing to release.
  registry.claim(4);
  EXPECT_EQ(released.size(), 1u);
}

TEST_F(RegistryTest, AssignedNumbersAreTheAddressesOfRecordsOutsideTheTable) {
  TestRecord* first = registry.claim(assign_number);
  TestRecord* second = registry.claim(assign_number);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first, second);
  first->handle = 21;
  second->handle = 22;
  const ObjectNumber first_number = registry.number_of(*first, assign_number);
  EXPECT_EQ(first_number, reinterpret_cast<ObjectNumber>(first));
  EXPECT_EQ(registry.find(first_number), first);
  EXPECT_EQ(registry.find(registry.number_of(*second, assign_number)), second);
  EXPECT_EQ(registry.capacity(), 16u);
  // The same record serves when its number is used again.
  EXPECT_EQ(registry.claim(first_number), first);
  EXPECT_EQ(released, std::vector<std::intptr_t>{21});
}

TEST_F(RegistryTest, RemovingAndReleasingAllFreeEveryObject) {
  registry.claim(2)->handle = 31;
  registry.claim(9)->handle = 32;
  TestRecord* outside = registry.claim(assign_number);
  outside->handle = 33;
  const ObjectNumber outside_number = registry.number_of(*outside, assign_number);
  registry.remove(9);
  EXPECT_EQ(registry.find(9), nullptr);
  registry.release_all();
  EXPECT_EQ(released, (std::vector<std::intptr_t>{32, 31, 33}));
  EXPECT_EQ(registry.find(2), nullptr);
  EXPECT_EQ(registry.find(outside_number), nullptr);
}

TEST_F(RegistryTest, NumbersThatCanNameNoRecordAreRefused) {
  EXPECT_EQ(registry.claim(-2), nullptr);
  EXPECT_EQ(registry.claim(Registry<TestRecord>::max_table_number + 1), nullptr);
  EXPECT_EQ(registry.capacity(), 16u);
}

}  // namespace
}  // namespace present
