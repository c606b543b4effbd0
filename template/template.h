// template.h: the answer template. Queries that collect their results in an ordered map or
// multimap (ordered by an id, a point or a pair of points) hand them to the caller as two
// parallel lists, keys and values, element i of one belonging to element i of the other.
#pragma once

#include <list>

#include "StdAfx.h"

// Appends the map's keys to answer_keys and its values to answer_values, in the map's
// order (equal keys of a multimap in their stored order). The lists are expected to be
// parallel on entry; when they are not, the check reports and they are extended anyway.
template <class Map>
void get_keys_and_values(const Map& map, std::list<typename Map::key_type>& answer_keys,
                         std::list<typename Map::mapped_type>& answer_values) {
    _ASSERTE(answer_keys.size() == answer_values.size());
    for (const auto& entry : map) {
        answer_keys.push_back(entry.first);
        answer_values.push_back(entry.second);
    }
}
