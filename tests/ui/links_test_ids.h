/* Dialog and controls of the link-control tests. */
#ifndef VELTO_TESTS_LINKS_TEST_IDS_H
#define VELTO_TESTS_LINKS_TEST_IDS_H

#define IDD_LINK_TEST       500
#define IDC_LINK_ADDRESS    501 /* left aligned, its text an address */
#define IDC_LINK_CENTRED    502
#define IDC_LINK_RIGHT      503
#define IDC_LINK_EMPTY      504 /* no text in the template */
#define IDC_LINK_LABEL      505
#define IDC_LINK_MIDDLE     506 /* centred vertically (SS_CENTERIMAGE) */

#endif
