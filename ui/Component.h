#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// What happened when a property was set by name.
enum class PropertyResult {
    Set,     // the property holds text and was set
    NotText, // the property exists but holds no text; nothing changed
    Missing, // the component has no property of that name
};

// A named part of a window, visual or not. A component is owned by its owner
// (the form holds every component of the window); the owner releases the
// components it owns. Components publish named properties; the text ones can
// be set by name, which is how translation files reach the window.
class Component {
public:
    Component(Component* owner, std::string name);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& Name() const { return m_name; }
    Component* Owner() const { return m_owner; }

    // Makes a component of type T owned by this one. The arguments after the
    // owner are passed on to T's constructor. The reference stays valid for
    // the owner's lifetime.
    template <class T, class... Args> T& Make(Args&&... args) {
        auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
        T& ref = *component;
        m_components.push_back(std::move(component));
        return ref;
    }

    // The components this one owns, in the order they were made.
    const std::vector<std::unique_ptr<Component>>& Components() const { return m_components; }

    // The owned component whose name equals `name` without regard to letter
    // case; nullptr when none does. An empty name matches nothing.
    Component* FindComponent(std::string_view name) const;

    // Sets the published property `property` (letter case ignored) to `value`
    // when it holds text; see PropertyResult.
    PropertyResult SetTextProperty(std::string_view property, const std::string& value);

    // The text of a published text property; false when there is no such
    // property or it holds no text.
    bool GetTextProperty(std::string_view property, std::string& value) const;

    // Whether a property of that name is published, text or not.
    bool HasProperty(std::string_view property) const;

protected:
    // Publishing, done by constructors of derived classes.
    void PublishText(std::string name, std::function<std::string()> get,
                     std::function<void(const std::string&)> set);
    void PublishOther(std::string name);

private:
    struct Property {
        std::string name;
        std::function<std::string()> get;              // empty for non-text properties
        std::function<void(const std::string&)> set;  // empty for non-text properties
    };
    const Property* FindProperty(std::string_view name) const;

    Component* m_owner;
    std::string m_name;
    std::vector<std::unique_ptr<Component>> m_components;
    std::vector<Property> m_properties;
};

} // namespace ui
