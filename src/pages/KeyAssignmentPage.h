#pragma once

namespace quaro {

class PageKeyAssignment;

// A device page that hosts the key assignment panel and the macro editor (the keyboard and the
// mouse): the routes reach the page's picked key, its key list and its save through this, whatever
// the kind.
class KeyAssignmentPage {
public:
    virtual PageKeyAssignment& KeyAssignment() = 0;

protected:
    ~KeyAssignmentPage() = default;
};

}  // namespace quaro
