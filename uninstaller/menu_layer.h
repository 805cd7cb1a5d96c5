#pragma once
// The desktop menu as the uninstaller talks to it: a conversation in which a group is shown (made
// current), items of the current group are deleted, and a group is deleted. Every call is a
// command whose failure the caller ignores. Names reach this layer only after menuNameRefusal.

#include <string>
#include <string_view>
#include <vector>

namespace kwu {

class MenuLayer {
  public:
    virtual ~MenuLayer() = default;
    // Opens the conversation; false when the menu cannot be reached.
    virtual bool connect() = 0;
    virtual bool showGroup(std::string_view group) = 0;
    virtual bool deleteItem(std::string_view item) = 0;
    virtual bool deleteGroup(std::string_view group) = 0;
    // Ends the conversation.
    virtual void disconnect() = 0;
    // What the conversation left in place that the user should know of (a group on another mount,
    // a group folder partly left), one reason a line, since connect.
    virtual std::vector<std::string> leftInPlace() const = 0;
};

}  // namespace kwu
