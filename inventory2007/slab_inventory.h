// slab_inventory.h: the slab edges of a drawing.
//
// Slab outlines are drawn as slab edge objects of the structural library (on any layer) or
// as plain lines, arcs and lightweight polylines on the library's default slab edge layer.
// A Slab_edge_inventory lists those found in a drawing's model space and, once per insert
// not on a frozen layer, in each resolved external reference: one item per edge and insert,
// the drawing's own first, then the references in block table order, each in its block's
// entity order.
//
// Inventories live in a module-wide registry keyed by (current document, drawing name),
// built on the first question about a drawing and never rebuilt: an inventory is kept even
// when its build found nothing or could not read model space. They are dropped with their
// document.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>

#include "KORVInventory.h"
#include "StdAfx.h"
#include "member_inventory.h"

class Slab_edge_inventory {
public:
    typedef std::list<KORVid_and_filename> Edge_list;

    // Empties the inventory.
    void clear();
    // Appends the edge to the inventory.
    void add(const KORVid_and_filename& edge);
    // The edges in scan order. The inventory keeps them in two lists built alike; the
    // selector picks one (the second when true), so both give the same items.
    const Edge_list& edges(bool second_list) const { return second_list ? m_edges_2 : m_edges; }

private:
    Edge_list m_edges;
    Edge_list m_edges_2;
};

typedef std::map<Drawing_key, std::unique_ptr<Slab_edge_inventory>, Drawing_key_less>
    Slab_edge_registry;

// Fills the inventory from the database's model space and its resolved references. The
// inventory stays empty when model space does not open.
void build_slab_edge_inventory(Slab_edge_inventory* inventory, AcDbDatabase* db);
// The inventory of the drawing (null db: the working database; empty name: the drawing's
// own file name), built on first use. Null when there is no database or current document,
// or when db is a drawing other than the current document's or a reference's and no name
// is given.
Slab_edge_inventory* get_slab_edge_inventory(AcDbDatabase* db, const std::wstring& drawing_name);
// Drops every inventory kept under the document.
void drop_slab_edge_inventories(AcApDocument* document);
