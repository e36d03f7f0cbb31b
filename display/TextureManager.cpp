#include "display/TextureManager.h"

#include "display/ColorTables.h"

void TextureManager::Remove(TextureNode* node) {
    if (node == nullptr) return;
    TextureNode** head = nullptr;
    TextureNode** tail = nullptr;
    if ((node->flags & TextureNode::kResident) != 0) {
        head = &residentHead;
        tail = &residentTail;
    } else if ((node->flags & TextureNode::kEvicted) != 0) {
        head = &evictedHead;
        tail = &evictedTail;
    } else {
        return;
    }
    // Only a node of this manager's list is unlinked.
    bool member = false;
    for (TextureNode* n = *head; n != nullptr && !member; n = n->next) member = n == node;
    if (!member) return;
    if (node->previous != nullptr) node->previous->next = node->next;
    if (node->next != nullptr) node->next->previous = node->previous;
    if (*head == node) *head = node->next;
    if (*tail == node) *tail = node->previous;
    node->next = node->previous = nullptr;
    node->flags &= ~(TextureNode::kResident | TextureNode::kEvicted);
}

void TextureManager::Append(TextureNode* node, bool resident) {
    if (node == nullptr) return;
    Remove(node);
    TextureNode*& head = resident ? residentHead : evictedHead;
    TextureNode*& tail = resident ? residentTail : evictedTail;
    node->previous = tail;
    node->next = nullptr;
    if (tail != nullptr) {
        tail->next = node;
    } else {
        head = node;
    }
    tail = node;
    node->flags |= resident ? TextureNode::kResident : TextureNode::kEvicted;
}

void RemoveFromEveryManager(TextureNode* node) {
    if (g_colorTables == nullptr || node == nullptr) return;
    for (TextureManager* manager : g_colorTables->textureManagers) {
        if (manager != nullptr) manager->Remove(node);
    }
}
