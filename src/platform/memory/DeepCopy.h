#pragma once

#include <memory>
#include <vector>

namespace corvalis {

// A copy of a tree of shared nodes that shares none of them, as a machine's copy must.
template <class Node>
std::shared_ptr<Node> DeepCopy(const Node& node, std::vector<std::shared_ptr<Node>> Node::*children)
{
    auto copy = std::make_shared<Node>(node);
    for (std::shared_ptr<Node>& child : (*copy).*children)
        child = DeepCopy(*child, children);
    return copy;
}

} // namespace corvalis
