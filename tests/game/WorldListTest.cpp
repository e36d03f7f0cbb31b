// The world list over a node of its own: groups in the order they open,
// objects after their group's last, and the group hand-over on removal.
#include "game/WorldList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Node {
    Node* next = nullptr;
    Node* previous = nullptr;
    uint32_t groupKey = 0;
    WorldGroupNode<Node>* groupNode = nullptr;
    std::string id;
};

class WorldListTest : public ::testing::Test {
protected:
    // a1 a2 a3 | b1 | c1 c2, inserted out of order.
    void SetUp() override {
        for (const char* id : {"a1", "b1", "a2", "c1", "a3", "c2"}) {
            nodes_.push_back(Node{});
            nodes_.back().id = id;
        }
        for (Node& node : nodes_) {
            node.groupKey = uint32_t(node.id[0]);
            ASSERT_TRUE(world::Insert(first_, &node));
        }
    }
    void TearDown() override {
        while (first_ != nullptr) world::Remove(first_, first_);
    }
    Node* Find(const std::string& id) {
        for (Node& node : nodes_) {
            if (node.id == id) return &node;
        }
        return nullptr;
    }
    // The world forwards, then checked backwards from its last object.
    std::string Walk() const {
        std::string forwards;
        const Node* last = nullptr;
        for (const Node* node = first_; node != nullptr; node = world::Next(node)) {
            forwards += node->id + " ";
            last = node;
        }
        std::string backwards;
        for (const Node* node = last; node != nullptr; node = world::Previous(node)) backwards = node->id + " " + backwards;
        EXPECT_EQ(forwards, backwards);
        return forwards;
    }

    std::vector<Node> nodes_ = std::vector<Node>();
    Node* first_ = nullptr;
};

TEST_F(WorldListTest, ObjectsJoinTheirGroupInOrder) {
    EXPECT_EQ(Walk(), "a1 a2 a3 b1 c1 c2 ");
}

TEST_F(WorldListTest, RemovalKeepsTheGroupsAndTheFirstObject) {
    const struct {
        std::vector<const char*> removed;
        const char* left;
    } cases[] = {
        {{"a2"}, "a1 a3 b1 c1 c2 "},              // a middle member
        {{"a1"}, "a2 a3 b1 c1 c2 "},              // the world's first, handing its group on
        {{"b1"}, "a1 a2 a3 c1 c2 "},              // the only member of a middle group
        {{"c1"}, "a1 a2 a3 b1 c2 "},              // the first of the last group
        {{"a1", "a2", "a3"}, "b1 c1 c2 "},        // the whole first group
        {{"c1", "c2", "b1"}, "a1 a2 a3 "},
        {{"a1", "a2", "a3", "b1", "c2", "c1"}, ""},
    };
    for (const auto& c : cases) {
        TearDown();
        nodes_.clear();
        first_ = nullptr;
        SetUp();
        std::string removed;
        for (const char* id : c.removed) {
            world::Remove(first_, Find(id));
            removed += std::string(id) + " ";
        }
        EXPECT_EQ(Walk(), c.left) << "after removing " << removed;
    }
    // A removed object can come back; its key finds its group again.
    Node* const b1 = Find("b1");
    ASSERT_TRUE(world::Insert(first_, b1));
    EXPECT_EQ(Walk(), "b1 ");
}

}  // namespace
