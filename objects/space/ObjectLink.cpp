#include "objects/space/ObjectLink.h"

#include "objects/space/SpaceObject.h"

void ObjectLink::Set(SpaceObject* target) {
    if (target == target_) return;
    if (target_ != nullptr) {
        if (previous_ != nullptr) {
            previous_->next_ = next_;
        } else {
            target_->links_ = next_;
        }
        if (next_ != nullptr) next_->previous_ = previous_;
        previous_ = next_ = nullptr;
    }
    target_ = target;
    if (target != nullptr) {
        next_ = target->links_;
        if (next_ != nullptr) next_->previous_ = this;
        target->links_ = this;
    }
}
