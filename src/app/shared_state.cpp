#include "shared_state.h"

namespace zelvora {

SharedState &shared()
{
    static SharedState state;
    return state;
}

void resetSharedState(const QString &dataFolder)
{
    SharedState &state = shared();
    state = SharedState{};
    state.dataFolder = dataFolder;
}

} // namespace zelvora
