#include "engine/ViewHooks.h"

#include "engine/PickQuery.h"

namespace {

ViewHooks g_hooks;

}  // namespace

void InstallViewHooks(const ViewHooks& hooks) { g_hooks = hooks; }

const ViewHooks& CurrentViewHooks() { return g_hooks; }
