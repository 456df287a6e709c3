#include "search_state.h"

namespace zelvora {

LocalitySearchState &searchState()
{
    static LocalitySearchState state;
    return state;
}

void resetSearchState()
{
    searchState() = LocalitySearchState{};
}

} // namespace zelvora
