#pragma once

#include <memory>

namespace ReportEngine {

class ReportBuilder;

// Something that can be put into a report or into a table cell.
//
// Elements are values: adding one to a report or a cell stores a copy, so the
// original may be changed, reused or destroyed afterwards without effect on
// what was added.
class Element
{
public:
    virtual ~Element();

    virtual std::unique_ptr<Element> clone() const = 0;

    // Writes the element at the builder's position. Used by the engine while
    // it lays the report out; not meant to be called by users.
    virtual void build(ReportBuilder &builder) const = 0;

protected:
    Element() = default;
    Element(const Element &) = default;
    Element &operator=(const Element &) = default;
};

}  // namespace ReportEngine
