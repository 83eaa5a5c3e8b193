#include <gtest/gtest.h>

#include <vector>

#include "app/win32_window.h"

namespace {

HWND Handle(uintptr_t value) { return reinterpret_cast<HWND>(value); }
uintptr_t Key(const RegistryNode* node) { return reinterpret_cast<uintptr_t>(node->key); }

void InOrder(const RegistryNode* node, std::vector<uintptr_t>& keys) {
    if (node == nullptr) return;
    InOrder(node->left, keys);
    keys.push_back(Key(node));
    InOrder(node->right, keys);
}

std::vector<uintptr_t> Keys(const WindowRegistry& registry) {
    std::vector<uintptr_t> keys;
    InOrder(registry.root, keys);
    return keys;
}

int FilledSlots(const WindowRegistry& registry) {
    int filled = 0;
    for (uint32_t i = 0; i < registry.node_count; ++i) filled += registry.nodes[i] != nullptr;
    return filled;
}

class Registry : public ::testing::Test {
protected:
    // Builds      50
    //          30      70
    //        20  40  60
    //           35 45
    void SetUp() override {
        for (uintptr_t key : {50, 30, 70, 20, 40, 60, 35, 45}) ASSERT_TRUE(registry.add(Handle(key), &window));
    }

    WindowRegistry registry;
    Window window;
    Window other;
};

TEST_F(Registry, FindsWhatWasAddedAndNothingElse) {
    EXPECT_EQ(registry.find(Handle(45)), &window);
    ASSERT_TRUE(registry.add(Handle(46), &other));
    EXPECT_EQ(registry.find(Handle(46)), &other);
    EXPECT_EQ(registry.find(Handle(47)), nullptr);
    EXPECT_EQ(registry.find(nullptr), nullptr);
    EXPECT_EQ(Keys(registry), (std::vector<uintptr_t>{20, 30, 35, 40, 45, 46, 50, 60, 70}));
}

TEST_F(Registry, RejectsNullArgumentsAndDuplicatesWithoutChange) {
    EXPECT_FALSE(registry.add(nullptr, &other));
    EXPECT_FALSE(registry.add(Handle(99), nullptr));
    EXPECT_FALSE(registry.add(Handle(40), &other));
    EXPECT_EQ(registry.find(Handle(40)), &window);
    EXPECT_EQ(registry.find(Handle(99)), nullptr);
    EXPECT_EQ(registry.node_count, 8u);
    EXPECT_EQ(Keys(registry).size(), 8u);
}

TEST_F(Registry, RemovingAnAbsentHandleReportsItAndChangesNothing) {
    EXPECT_EQ(registry.remove(Handle(41)), -1);
    EXPECT_EQ(registry.remove(nullptr), -1);
    EXPECT_EQ(FilledSlots(registry), 8);
    EXPECT_EQ(registry.remove(Handle(40)), 0);
    EXPECT_EQ(registry.remove(Handle(40)), -1);
}

TEST_F(Registry, TheInOrderPredecessorTakesTheRemovedNodesPlace) {
    // Root with two children: 45, the rightmost of the left subtree, moves up.
    ASSERT_EQ(registry.remove(Handle(50)), 0);
    ASSERT_NE(registry.root, nullptr);
    EXPECT_EQ(Key(registry.root), 45u);
    EXPECT_EQ(Key(registry.root->left), 30u);
    EXPECT_EQ(Key(registry.root->right), 70u);
    EXPECT_EQ(registry.root->left->right->right, nullptr);
    EXPECT_EQ(Keys(registry), (std::vector<uintptr_t>{20, 30, 35, 40, 45, 60, 70}));

    // The predecessor is the left child itself: it keeps its own left subtree.
    ASSERT_EQ(registry.remove(Handle(40)), 0);
    const RegistryNode* thirty = registry.root->left;
    EXPECT_EQ(Key(thirty->right), 35u);
    EXPECT_EQ(Keys(registry), (std::vector<uintptr_t>{20, 30, 35, 45, 60, 70}));

    // A leaf just goes; without a left subtree the right one moves up.
    ASSERT_EQ(registry.remove(Handle(20)), 0);
    EXPECT_EQ(thirty->left, nullptr);
    ASSERT_EQ(registry.remove(Handle(30)), 0);
    EXPECT_EQ(Key(registry.root->left), 35u);
    EXPECT_EQ(Keys(registry), (std::vector<uintptr_t>{35, 45, 60, 70}));
    EXPECT_EQ(FilledSlots(registry), 4);
}

TEST_F(Registry, PredecessorWithALeftSubtreeLeavesItBehind) {
    ASSERT_TRUE(registry.add(Handle(44), &window));  // left child of 45
    ASSERT_EQ(registry.remove(Handle(50)), 0);
    EXPECT_EQ(Key(registry.root), 45u);
    EXPECT_EQ(Key(registry.root->left->right->right), 44u);
    EXPECT_EQ(Keys(registry), (std::vector<uintptr_t>{20, 30, 35, 40, 44, 45, 60, 70}));
    for (uintptr_t key : {20, 30, 35, 40, 44, 45, 60, 70}) EXPECT_EQ(registry.find(Handle(key)), &window) << key;
}

TEST_F(Registry, FreedSlotsAreReusedFromTheEndBeforeTheArrayGrowsByOne) {
    ASSERT_EQ(registry.node_count, 8u);
    RegistryNode* slot2 = registry.nodes[2];  // 70
    RegistryNode* slot5 = registry.nodes[5];  // 60
    ASSERT_EQ(Key(slot2), 70u);
    ASSERT_EQ(Key(slot5), 60u);
    ASSERT_EQ(registry.remove(Handle(70)), 0);
    ASSERT_EQ(registry.remove(Handle(60)), 0);
    EXPECT_EQ(registry.nodes[2], nullptr);
    EXPECT_EQ(registry.nodes[5], nullptr);

    ASSERT_TRUE(registry.add(Handle(80), &other));
    EXPECT_EQ(Key(registry.nodes[5]), 80u);  // the last free slot first
    ASSERT_TRUE(registry.add(Handle(90), &other));
    EXPECT_EQ(Key(registry.nodes[2]), 90u);
    EXPECT_EQ(registry.node_count, 8u);
    ASSERT_TRUE(registry.add(Handle(95), &other));
    EXPECT_EQ(registry.node_count, 9u);
    EXPECT_EQ(Key(registry.nodes[8]), 95u);
}

TEST(RegistryKeys, CompareAsUnsigned32BitNumbers) {
    WindowRegistry registry;
    Window window;
    ASSERT_TRUE(registry.add(Handle(0x10), &window));
    ASSERT_TRUE(registry.add(Handle(0x80000000u), &window));
    ASSERT_TRUE(registry.add(Handle(0xFFFFFFF0u), &window));
    ASSERT_TRUE(registry.add(Handle(0x7FFFFFFF), &window));
    // Sign-agnostic order: the high-bit handles sort after the small ones.
    EXPECT_EQ(Keys(registry), (std::vector<uintptr_t>{0x10, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFF0u}));
    EXPECT_EQ(Key(registry.root->right), 0x80000000u);
    EXPECT_EQ(registry.node_count, 4u);
}

TEST(RegistryKeys, GrowsOneSlotPerNodeAndFreesAll) {
    WindowRegistry registry;
    Window window;
    EXPECT_EQ(registry.root, nullptr);
    EXPECT_EQ(registry.node_count, 0u);
    for (uintptr_t key = 1; key <= 5; ++key) {
        ASSERT_TRUE(registry.add(Handle(key * 7), &window));
        EXPECT_EQ(registry.node_count, key);
    }
    registry.free_all();
    EXPECT_EQ(registry.root, nullptr);
    EXPECT_EQ(FilledSlots(registry), 0);
    EXPECT_EQ(registry.find(Handle(7)), nullptr);
    // The emptied slots serve the next additions.
    ASSERT_TRUE(registry.add(Handle(7), &window));
    EXPECT_EQ(registry.node_count, 5u);
}

}  // namespace
