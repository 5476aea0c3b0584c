#include "ui/Component.h"

#include "ui/Text.h"

namespace ui {

Component::Component(Component* owner, std::string name)
    : m_owner(owner), m_name(std::move(name)) {
    // The name identifies the component to translation files and handlers, so
    // it is published but cannot be changed by setting it as text.
    PublishOther("Name");
    PublishOther("Tag");
}

Component::~Component() {
    // Owned components go in reverse order of making, so that a component
    // never outlives one it was made after and may refer to.
    while (!m_components.empty()) {
        m_components.pop_back();
    }
}

Component* Component::FindComponent(std::string_view name) const {
    if (name.empty()) {
        return nullptr;
    }
    for (const auto& component : m_components) {
        if (SameText(component->Name(), name)) {
            return component.get();
        }
    }
    return nullptr;
}

PropertyResult Component::SetTextProperty(std::string_view property, const std::string& value) {
    const Property* found = FindProperty(property);
    if (found == nullptr) {
        return PropertyResult::Missing;
    }
    if (!found->set) {
        return PropertyResult::NotText;
    }
    found->set(value);
    return PropertyResult::Set;
}

bool Component::GetTextProperty(std::string_view property, std::string& value) const {
    const Property* found = FindProperty(property);
    if (found == nullptr || !found->get) {
        return false;
    }
    value = found->get();
    return true;
}

bool Component::HasProperty(std::string_view property) const {
    return FindProperty(property) != nullptr;
}

void Component::PublishText(std::string name, std::function<std::string()> get,
                            std::function<void(const std::string&)> set) {
    m_properties.push_back({std::move(name), std::move(get), std::move(set)});
}

void Component::PublishOther(std::string name) {
    m_properties.push_back({std::move(name), {}, {}});
}

const Component::Property* Component::FindProperty(std::string_view name) const {
    for (const auto& property : m_properties) {
        if (SameText(property.name, name)) {
            return &property;
        }
    }
    return nullptr;
}

} // namespace ui
