"""Paths through the catalogue: search, a category's tags and sorts, a creator's
page, and one whole task done with the keyboard alone."""

import keyboard_focus
from e2e_base import inside
from lanto_e2e import Failure, wait_until


def catalogue(s):
    """Every title of the service's catalogue with its creator and its tags' text."""
    return {title: (creator, tags) for title, creator, tags in s.service_db(
        "SELECT w.title, u.name, w.tags FROM wallpapers w JOIN users u ON u.id = w.owner_id "
        "WHERE w.status = 'approved'")}


def shown_cards(s, titles):
    """The titles of the cards showing, in reading order (rows top to bottom,
    left to right in each)."""
    cards = {}
    for card in s.find_all(s.application(), lambda name: name in titles, "push button"):
        x, y, _, _ = s.extents(card)
        cards.setdefault(card.name, (y, x))
    return [title for title, _ in sorted(cards.items(), key=lambda item: item[1])]


def cards_in_window(s, titles):
    """The cards with these titles that lie wholly inside the main window, where a
    person can click them."""
    x, y, width, height = s.extents(s.main_window())
    return [c for c in s.find_all(s.application(), lambda name: name in titles, "push button")
            if inside(s.extents(c), (x, y, width, height), slack=0)]


def search_field(s):
    """The page's search field, by the name a screen reader says."""
    return s.find(lambda name: "search" in (name or "").lower(), "text", timeout=10)


def query_word(known):
    """A word of two or more titles that no creator's name or tag holds, so that
    only cards with it in their title may match."""
    words = {}
    for title in known:
        for word in title.split():
            if len(word) >= 4:
                words.setdefault(word.lower(), set()).add(title)
    clean = [(len(titles), word) for word, titles in words.items()
             if not any(word in (creator + tags).lower() for creator, tags in known.values())]
    if not clean:
        raise Failure("no word of the catalogue's titles to search for")
    return max(clean)[1]


def search(s):
    """A word typed into Discover's search leaves only the cards whose titles hold
    it; Clear brings the curated rows back."""
    s.require_service()
    s.press("Discover")
    known = catalogue(s)
    word = query_word({t: known[t] for t in s.service_titles() if t in known})
    wait_until(lambda: shown_cards(s, known), 30, "cards on Discover")
    field = search_field(s)
    s.click(field)
    s.type_text(word.capitalize())

    def only_matches():
        shown = shown_cards(s, known)
        return shown and all(word in title.lower() for title in shown)
    wait_until(only_matches, 15, f"only cards with {word!r} in their titles")
    s.snapshot("search-results")
    s.press("Clear")
    wait_until(lambda: any(word not in title.lower() for title in shown_cards(s, known)), 15,
               "the curated rows to come back after Clear")
    field.clearCache()
    if s.text_of(field):
        raise Failure(f"the search field still holds {s.text_of(field)!r} after Clear")


def category_titles(s, category):
    return {row[0] for row in s.service_db(
        "SELECT title FROM wallpapers WHERE status = 'approved' AND category = ?", category)}


def categories(s):
    """A category shows its wallpapers; a tag chip narrows them to those with the
    tag and All widens them again; A-Z sorts by title and the direction button
    turns the order round."""
    s.require_service()
    known = catalogue(s)
    s.press("Categories")
    s.press("Nature")
    titles = category_titles(s, "nature")
    wait_until(lambda: set(shown_cards(s, known)) == titles, 30, f"the cards of Nature: {sorted(titles)}")
    s.snapshot("category-nature")
    tagged = {t for t in titles if "t-scene-ocean" in known[t][1]}
    s.press("Ocean")
    wait_until(lambda: set(shown_cards(s, known)) == tagged, 10, f"only {sorted(tagged)} under the Ocean chip")
    s.press("All")
    wait_until(lambda: set(shown_cards(s, known)) == titles, 10, "every card of Nature under All")

    menu = s.find(None, "combo box")
    choose_entry(s, menu, "A-Z")
    ascending = sorted(titles)
    wait_until(lambda: shown_cards(s, known) == ascending, 10, f"the cards in A-Z order {ascending}")
    s.press(lambda name: name in ("Sort Ascending", "Sort Descending"))
    wait_until(lambda: shown_cards(s, known) == ascending[::-1], 10,
               f"the cards in the other direction {ascending[::-1]}")
    s.snapshot("category-sorted")
    s.press(lambda name: name in ("Sort Ascending", "Sort Descending"))
    s.press("All Categories")


def choose_entry(s, menu, entry):
    """Opens a drop-down menu and clicks one of its entries."""
    s.click(menu)
    s.press(entry, "list item" if s.find_all(s.application(), entry, "list item") else None)
    wait_until(lambda: entry in (menu.name, s.said_of(menu), s.text_of(menu)) or s.find_all(menu, entry), 5,
               f"the menu to show {entry!r}")


def creator_page(s):
    """A card's creator opens their page: their name over their wallpapers only;
    Back returns to Discover."""
    s.require_service()
    s.press("Discover")
    known = catalogue(s)
    creators = {creator for creator, _ in known.values()}
    chip = wait_until(lambda: next(iter(s.find_all(s.application(), lambda n: n in creators, "push button")), None),
                      30, "a creator's name on a card")
    creator = chip.name
    theirs = {t for t, (c, _) in known.items() if c == creator}
    s.click(chip)
    s.find("Back", "push button", timeout=15)
    wait_until(lambda: set(shown_cards(s, known)) == theirs, 20, f"the cards of {creator}: {sorted(theirs)}")
    others = [c.name for c in s.find_all(s.application(), lambda n: n in creators - {creator}, "push button")]
    if others:
        raise Failure(f"{creator}'s page names other creators too: {others}")
    s.snapshot("creator-page")
    s.press("Back")
    wait_until(lambda: len({c.name for c in s.find_all(s.application(), lambda n: n in creators, "push button")}) > 1,
               15, "Discover's cards of every creator after Back")


def keyboard(s):
    """Search, open and apply with the keyboard alone: Tab to the search field,
    type, Tab to the card, Enter, Tab to the download button, Space."""
    s.require_service()
    s.press("Discover")
    known = catalogue(s)
    # One the detail page's path did not apply, so that it offers to download.
    target = next(t for t in sorted(s.service_titles()) if t in known and t != getattr(s, "applied_title", None))
    # Focus the window without pressing a control in it.
    s.run(["xdotool", "windowactivate", "--sync", s.main_window_id()], check=True)
    # The search field comes last in the page's order: Shift+Tab reaches it first.
    keyboard_focus.tab_to(s, lambda name: "search" in (name or "").lower(), "text", key="shift+Tab")
    s.type_text(target)
    wait_until(lambda: shown_cards(s, known) == [target], 15, f"the search to leave only {target!r}")
    keyboard_focus.tab_to(s, target, "push button")
    s.key("Return")
    keyboard_focus.tab_to(s, lambda name: name in ("Download", "Apply"), "push button")
    s.key("space")
    wait_until(lambda: s.find_all(s.application(), "Active", "push button"), 120,
               f"{target!r} to download and become active")
    s.snapshot("keyboard-applied")
    keyboard_focus.tab_to(s, "Back", "push button")
    s.key("Return")
    keyboard_focus.tab_to(s, "Clear", "push button")
    s.key("Return")
    wait_until(lambda: len(shown_cards(s, known)) > 1, 15, "the curated rows after clearing the search")
    # On past the hero and every row to the categories below them: the page follows the focus.
    keyboard_focus.tab_to(s, "Anime", "push button", presses=150)
    s.snapshot("keyboard-categories")
