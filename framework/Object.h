#pragma once

// Run-time class information: each class that declares it names itself and
// its base, so an object can tell what it is.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(className) (&className::class##className)

#define DECLARE_DYNAMIC(className)                                  \
public:                                                             \
    static const CRuntimeClass class##className;                    \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(className, baseClassName)                 \
    const CRuntimeClass className::class##className = {             \
        #className, sizeof(className), RUNTIME_CLASS(baseClassName)}; \
    const CRuntimeClass* className::GetRuntimeClass() const         \
    {                                                               \
        return RUNTIME_CLASS(className);                            \
    }

// The root of the classes that carry run-time class information.
class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
};
