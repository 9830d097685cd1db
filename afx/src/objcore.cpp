#include "../afx.h"

CObject* CRuntimeClass::CreateObject()
{
	return m_pfnCreateObject == NULL ? NULL : (*m_pfnCreateObject)();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
	for (const CRuntimeClass* pClass = this; pClass != NULL;
		pClass = pClass->m_pfnGetBaseClass == NULL ? NULL : (*pClass->m_pfnGetBaseClass)())
	{
		if (pClass == pBaseClass)
			return TRUE;
	}
	return FALSE;
}

const CRuntimeClass CObject::classCObject = { "CObject", NULL, NULL };

CRuntimeClass* PASCAL CObject::GetThisClass()
{
	return const_cast<CRuntimeClass*>(&CObject::classCObject);
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
	return CObject::GetThisClass();
}

CObject::CObject() = default;
CObject::~CObject() = default;

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
	return GetRuntimeClass()->IsDerivedFrom(pClass);
}

CObject* AFXAPI AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject)
{
	return pObject != NULL && pObject->IsKindOf(pClass) ? pObject : NULL;
}
